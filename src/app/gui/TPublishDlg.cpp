#include "app/gui/TPublishDlg.h"
#include "ui_TPublishDlg.h"

#include <QDir>

namespace {
const char kNotes[] = "首次使用说明：\n"
                      "1. 首次启动时程序在数据目录（程序目录；它不能写入时为用户数据目录）中建立 "
                      "login.db、Postage.db 和演示订单库 zelvo-demo.db。\n"
                      "2. 演示库的操作员为 operator，密码 1234；管理员为 admin，密码 admin。\n"
                      "3. 在“系统设置”中可修改数据库连接、电子秤、报警和邮资规则。\n"
                      "\n"
                      "版本 2.0.2.28：\n"
                      "- 称重发货、商品称重、查询导出与系统设置四个页面。\n"
                      "- 本地配置改用 SQLite 文件，订单库支持 SQL Server 与内置演示库。\n";
}

TPublishDlg::TPublishDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TPublishDlg>())
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    m_ui->LabelVersion->setText(QStringLiteral(ZELVO_VERSION));
    m_ui->Memo1->setPlainText(QString::fromUtf8(kNotes));
    setFixedSize(460, 380);
    connect(m_ui->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

TPublishDlg::~TPublishDlg() = default;

void TPublishDlg::setDataFolder(const QString& folder)
{
    m_ui->LabelDataFolder->setText(QDir::toNativeSeparators(folder));
}
