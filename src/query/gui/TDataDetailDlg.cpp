#include "query/gui/TDataDetailDlg.h"
#include "ui_TDataDetailDlg.h"

#include <QLineEdit>

TDataDetailDlg::TDataDetailDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TDataDetailDlg>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    for (int field = 0; field < int(m_fields.size()); ++field) {
        m_fields[field] = findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(field));
        Q_ASSERT(m_fields[field]);
    }
    connect(m_ui->CancelBtn, &QPushButton::clicked, this, &QDialog::accept);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TDataDetailDlg::~TDataDetailDlg() = default;

void TDataDetailDlg::fill(const QString& serial, const QStringList& fields)
{
    m_fields[0]->setText(serial);
    for (int field = 1; field < int(m_fields.size()); ++field) {
        m_fields[field]->setText(fields.value(field - 1));
        m_fields[field]->setCursorPosition(0);
    }
}

QString TDataDetailDlg::fieldText(int field) const
{
    return m_fields.at(field)->text();
}
