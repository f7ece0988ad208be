#include "settings/gui/TAlarmSetDlg.h"
#include "ui_TAlarmSetDlg.h"

#include "base/InputRules.h"
#include "base/Prompter.h"
#include "base/Texts.h"
#include "base/gui/InputKeyFilter.h"

#include "settings/AlarmBrackets.h"
#include <QSignalBlocker>

namespace {

// Only digits and Backspace reach the boxes: a range end up to 99999 g, a percentage up to 99.
constexpr InputRules::Rule kGramsBox{InputRules::Characters::Digits, 5, InputRules::Shortcuts::Drop, false,
                                     false};
constexpr InputRules::Rule kPercentBox{InputRules::Characters::Digits, 2, InputRules::Shortcuts::Drop, false,
                                       false};

const char kIllegalInput[] = "输入违法数据!";
const char kUpdateFailed[] = "更新失败!";

template <typename T> T* child(QWidget& dialog, const char* prefix, int row)
{
    return dialog.findChild<T*>(QLatin1String(prefix) + QString::number(row + 1));
}

// The boxes of the rule in force take input on the window colour; the others are locked and grey.
void setUsable(QLineEdit* box, bool usable)
{
    box->setEnabled(usable);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base,
                     usable ? QPalette().color(QPalette::Base) : QPalette().color(QPalette::Button));
    box->setPalette(palette);
}

} // namespace

TAlarmSetDlg::TAlarmSetDlg(StationSettings& settings, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TAlarmSetDlg>())
    , m_settings(settings)
    , m_prompter(prompter)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    for (int row = 0; row < kRows; ++row) {
        m_starts[row] = child<QLabel>(*this, "LbSw", row);
        m_rangeEnds[row] = child<QLineEdit>(*this, "EdtEw", row);
        m_intervalFrom[row] = child<QLineEdit>(*this, "EditAS", row);
        m_intervalTo[row] = child<QLineEdit>(*this, "EditAE", row);
        m_percents[row] = child<QLineEdit>(*this, "EditAP", row);

        QLineEdit* end = m_rangeEnds[row];
        InputKeyFilter::install(end, kGramsBox);
        connect(end, &QLineEdit::textChanged, this,
                [this, row](const QString& text) { EdtEwChange(row, text); });
        connect(end, &QLineEdit::textEdited, this, [this, end] { rangeEndEdited(end); });
        for (QLineEdit* box : {m_intervalFrom[row], m_intervalTo[row], m_percents[row]}) {
            InputKeyFilter::install(box, box == m_percents[row] ? kPercentBox : kGramsBox);
            connect(box, &QLineEdit::textEdited, this, [this, box] { valueEdited(box); });
        }
    }
    connect(m_ui->RbAlarmRang, &QRadioButton::clicked, this, &TAlarmSetDlg::RbAlarmRangClick);
    connect(m_ui->RbAlarmPercent, &QRadioButton::clicked, this, &TAlarmSetDlg::RbAlarmPercentClick);
    connect(m_ui->BtnClear, &QPushButton::clicked, this, &TAlarmSetDlg::BtnClearClick);
    connect(m_ui->BtnDecide, &QPushButton::clicked, this, &TAlarmSetDlg::BtnDecideClick);
    connect(m_ui->BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

TAlarmSetDlg::~TAlarmSetDlg() = default;

bool TAlarmSetDlg::AlarmFormShow()
{
    StationSettings::AlarmTable stored;
    if (!m_settings.alarmTable(&stored, nullptr)) {
        m_prompter.inform(QString::fromUtf8(Texts::kConfigAccessFailed));
        return false;
    }
    const int filled = std::min<int>(kRows, int(stored.rows.size()));
    if (stored.rangeRule) {
        m_ui->RbAlarmRang->setChecked(true);
        setRangeMode(true);
        for (int row = 0; row < filled; ++row) {
            m_rangeEnds[row]->setText(stored.rows[row].weightTo);
            m_intervalFrom[row]->setText(stored.rows[row].normalFrom);
            m_intervalTo[row]->setText(stored.rows[row].normalTo);
        }
    }
    if (stored.percentRule) {
        m_ui->RbAlarmPercent->setChecked(true);
        setRangeMode(false);
        for (int row = 0; row < filled; ++row) {
            m_rangeEnds[row]->setText(stored.rows[row].weightTo);
            m_percents[row]->setText(stored.rows[row].normalPercent);
        }
    }
    return true;
}

void TAlarmSetDlg::setRangeMode(bool range)
{
    for (int row = 0; row < kRows; ++row) {
        setUsable(m_intervalFrom[row], range);
        setUsable(m_intervalTo[row], range);
        setUsable(m_percents[row], !range);
    }
}

void TAlarmSetDlg::storeRule()
{
    using Mode = StationSettings::AlarmMode;
    const Mode mode = m_ui->RbAlarmRang->isChecked()
                          ? Mode::Range
                          : (m_ui->RbAlarmPercent->isChecked() ? Mode::Percent : Mode::Unset);
    QString error;
    if (!m_settings.storeAlarmMode(mode, &error)) {
        m_prompter.inform(QString::fromUtf8(Texts::kSaveSettingsFailed) + error);
    }
}

void TAlarmSetDlg::RbAlarmRangClick(bool checked)
{
    if (checked) {
        setRangeMode(true);
    }
    storeRule();
}

void TAlarmSetDlg::RbAlarmPercentClick(bool checked)
{
    if (checked) {
        setRangeMode(false);
    }
    storeRule();
}

void TAlarmSetDlg::EdtEwChange(int row, const QString& text)
{
    if (row + 1 < kRows) {
        m_starts[row + 1]->setText(AlarmBrackets::startCaption(text));
    }
}

void TAlarmSetDlg::rangeEndEdited(QLineEdit* box)
{
    if (InputRules::startsIllegally(box->text())) {
        box->clear();
        m_prompter.inform(QString::fromUtf8(kIllegalInput));
    }
}

void TAlarmSetDlg::valueEdited(QLineEdit* box)
{
    // A difference or share of 0 cannot be entered.
    if (box->text().startsWith(QLatin1Char('0'))) {
        box->clear();
        m_prompter.inform(QString::fromUtf8(kIllegalInput));
    }
}

void TAlarmSetDlg::BtnClearClick()
{
    for (int row = 0; row < kRows; ++row) {
        for (QLineEdit* box : {m_rangeEnds[row], m_intervalFrom[row], m_intervalTo[row], m_percents[row]}) {
            const QSignalBlocker quiet(box);
            box->clear();
        }
    }
}

void TAlarmSetDlg::BtnDecideClick()
{
    StationSettings::AlarmTable stored;
    if (!m_settings.alarmTable(&stored, nullptr)) {
        m_prompter.inform(QString::fromUtf8(kUpdateFailed));
        return;
    }
    AlarmBrackets::TypedRows typed;
    for (int row = 0; row < kRows; ++row) {
        typed[row] = {m_rangeEnds[row]->text(), m_intervalFrom[row]->text(), m_intervalTo[row]->text(),
                      m_percents[row]->text()};
    }
    if (!m_settings.storeAlarmBrackets(AlarmBrackets::toStore(typed, stored.rangeRule, stored.percentRule),
                                       nullptr)) {
        // The old brackets stay in force.
        m_prompter.inform(QString::fromUtf8(kUpdateFailed));
        return;
    }
    accept();
}
