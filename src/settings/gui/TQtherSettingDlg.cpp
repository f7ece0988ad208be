#include "settings/gui/TQtherSettingDlg.h"
#include "ui_TQtherSettingDlg.h"

#include "base/Prompter.h"
#include "base/Texts.h"
#include "store/StationSettings.h"

TQtherSettingDlg::TQtherSettingDlg(StationSettings& settings, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TQtherSettingDlg>())
    , m_settings(settings)
    , m_prompter(prompter)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    for (int column = 0; column < kColumns; ++column) {
        m_columns[column] = findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(column + 1));
    }
    connect(m_ui->Okbtn, &QPushButton::clicked, this, &TQtherSettingDlg::OkbtnClick);
    connect(m_ui->Cancelbtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TQtherSettingDlg::Button1Click);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TQtherSettingDlg::Button2Click);
    connect(m_ui->MultiPostID, &QCheckBox::clicked, this, &TQtherSettingDlg::MultiPostIDClick);
}

TQtherSettingDlg::~TQtherSettingDlg() = default;

bool TQtherSettingDlg::FormShow()
{
    StationSettings::Options options;
    QList<bool> shown;
    QStringList pageSizes;
    if (!m_settings.read(&options, nullptr) || !m_settings.shownColumns(&shown, nullptr) ||
        !m_settings.pageSizes(&pageSizes, nullptr)) {
        m_prompter.inform(QString::fromUtf8(Texts::kConfigAccessFailed));
        return false;
    }
    m_ui->PageControl1->setCurrentIndex(0);
    m_ui->PackageIDCheck->setChecked(options.package.used);
    m_ui->PickerCheck->setChecked(options.picker.used);
    m_ui->PackageOperatorCheck->setChecked(options.packer.used);
    m_ui->chksum->setChecked(options.checkSum);
    m_ui->ChkOverWeight->setChecked(options.chkOverWeight);
    m_ui->MultiPostID->setChecked(options.multiPostId);
    m_ui->ChkCalcWeightOnce->setChecked(options.calcWeightOnce);
    m_ui->ChkCalcWeightOnce->setEnabled(options.multiPostId);
    m_ui->ChkStableShip->setChecked(options.stableShip);
    m_ui->ChkEmptyScale->setChecked(options.emptyScaleGate);
    m_ui->EmptyScaleWeight->setValue(options.emptyScaleGrams);
    m_ui->StatementTimeout->setValue(options.statementTimeout);
    for (int column = 0; column < kColumns && column < shown.size(); ++column) {
        m_columns[column]->setChecked(shown[column]);
    }
    m_ui->PageRow->clear();
    m_ui->PageRow->addItems(pageSizes);
    m_ui->PageRow->setCurrentIndex(
        m_ui->PageRow->findText(options.pageSize, Qt::MatchExactly | Qt::MatchCaseSensitive));
    m_ui->CheckAlarm->setChecked(options.checkAlarm);
    return true;
}

void TQtherSettingDlg::OkbtnClick()
{
    StationSettings::OtherSettings other;
    other.packageIdCheck = m_ui->PackageIDCheck->isChecked();
    other.pickerCheck = m_ui->PickerCheck->isChecked();
    other.packageOperatorCheck = m_ui->PackageOperatorCheck->isChecked();
    other.checkSum = m_ui->chksum->isChecked();
    other.chkOverWeight = m_ui->ChkOverWeight->isChecked();
    other.multiPostId = m_ui->MultiPostID->isChecked();
    other.calcWeightOnce = m_ui->ChkCalcWeightOnce->isChecked();
    other.stableShip = m_ui->ChkStableShip->isChecked();
    other.emptyScaleGate = m_ui->ChkEmptyScale->isChecked();
    other.emptyScaleGrams = m_ui->EmptyScaleWeight->value();
    other.statementTimeout = m_ui->StatementTimeout->value();
    for (const QCheckBox* box : m_columns) {
        other.shownColumns.append(box->isChecked());
    }
    other.pageSize = m_ui->PageRow->currentText();
    other.checkAlarm = m_ui->CheckAlarm->isChecked();
    QString error;
    if (!m_settings.storeOtherSettings(other, &error)) {
        // Nothing was stored; the dialog stays open with what the operator chose.
        m_prompter.inform(QString::fromUtf8(Texts::kSaveSettingsFailed) + error);
        return;
    }
    accept();
}

void TQtherSettingDlg::Button1Click()
{
    for (QCheckBox* box : m_columns) {
        box->setChecked(true);
    }
}

void TQtherSettingDlg::Button2Click()
{
    for (QCheckBox* box : m_columns) {
        box->setChecked(false);
    }
}

void TQtherSettingDlg::MultiPostIDClick(bool checked)
{
    // The tick stays, and is stored, while the box is locked.
    m_ui->ChkCalcWeightOnce->setEnabled(checked);
}
