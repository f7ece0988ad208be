#include "settings/gui/TOKRightDlg.h"
#include "ui_TOKRightDlg.h"

#include <QShowEvent>

namespace {
// Handed out by the dealer; the same for every station.
constexpr QStringView kOperationCode = u"青松明月";
} // namespace

TOKRightDlg::TOKRightDlg(QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TOKRightDlg>())
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_ui->OKBtn->setEnabled(false);
    connect(m_ui->Edit1, &QLineEdit::textChanged, this, &TOKRightDlg::Edit1Change);
    connect(m_ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

TOKRightDlg::~TOKRightDlg() = default;

void TOKRightDlg::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        FormShow();
    }
    QDialog::showEvent(event);
}

void TOKRightDlg::FormShow()
{
    m_ui->Edit1->clear();
    Edit1Change(m_ui->Edit1->text());
    m_ui->Edit1->setFocus();
}

void TOKRightDlg::Edit1Change(const QString& text)
{
    m_ui->OKBtn->setEnabled(text == kOperationCode);
}
