#include "app/gui/TLoginSetDlg.h"

#include "base/Texts.h"
#include "ui_TLoginSetDlg.h"

#include "app/ConnectionSettings.h"
#include "app/ServerRow.h"
#include "app/StationStores.h"
#include "base/Prompter.h"
#include "base/gui/InputKeyFilter.h"

#include <QShowEvent>

#include <utility>

TLoginSetDlg::TLoginSetDlg(StationStores& stores, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TLoginSetDlg>())
    , m_stores(stores)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    installKeyFilters();
    connect(m_ui->SsettingDecide, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->SsettingCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TLoginSetDlg::~TLoginSetDlg() = default;

void TLoginSetDlg::installKeyFilters()
{
    // Enter walks the boxes in order and ends on OK, never closing the dialog by itself.
    const std::pair<QLineEdit*, QWidget*> enterMoves[] = {{m_ui->SserverIp, m_ui->SdataBase},
                                                          {m_ui->SdataBase, m_ui->SuserName},
                                                          {m_ui->SuserName, m_ui->Spsw},
                                                          {m_ui->Spsw, m_ui->SsettingDecide}};
    for (const auto& [box, next] : enterMoves) {
        InputKeyFilter::install(box, InputRules::kText)->onEnter([next] { next->setFocus(); });
    }
}

void TLoginSetDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TLoginSetDlg::FormShow()
{
    if (m_keepTyped) {
        // The operator corrects what was refused rather than typing everything again.
        m_keepTyped = false;
        m_ui->SserverIp->setFocus();
        return;
    }
    m_shown = {};
    if (m_stores.loginOpen()) {
        m_shown = ServerRow::read(m_stores.loginDb()).value_or(ServerSettings{});
    }
    m_ui->SserverIp->setText(m_shown.serverIp);
    m_ui->SdataBase->setText(m_shown.dataBase);
    m_ui->SuserName->setText(m_shown.userName);
    m_ui->Spsw->setText(m_shown.passWord);
    m_ui->SserverIp->setFocus();
}

ServerSettings TLoginSetDlg::typedValues() const
{
    return {m_ui->SserverIp->text(), m_ui->SdataBase->text(), m_ui->SuserName->text(), m_ui->Spsw->text()};
}

bool TLoginSetDlg::saveTyped(Prompter& prompter)
{
    m_keepTyped = true;
    if (!m_stores.loginOpen()) {
        prompter.inform(QString::fromUtf8(Texts::kConfigAccessFailed));
        return false;
    }
    const ConnectionSettings::Result result = ConnectionSettings::save(m_stores.loginDb(), typedValues());
    m_keepTyped = result.outcome != ConnectionSettings::Outcome::Saved;
    if (m_keepTyped) {
        prompter.inform(result.message);
    } else {
        prompter.tell(result.message);
    }
    return !m_keepTyped;
}
