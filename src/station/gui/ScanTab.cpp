#include "station/gui/ScanTab.h"

#include "base/Texts.h"
#include "ui_ScanTab.h"

#include "app/StationSession.h"
#include "base/Prompter.h"
#include "base/SoundPlayer.h"
#include "base/Sounds.h"
#include "base/gui/BoxWidth.h"
#include "base/gui/InputKeyFilter.h"
#include "scale/ScaleReaderHost.h"
#include "scale/TComThread.h"
#include "station/ShipProcedure.h"
#include "station/ShipText.h"
#include "station/StationReport.h"
#include "station/StationScale.h"
#include "station/StationServices.h"

#include <QHelpEvent>
#include <QTextBlock>
#include <QToolTip>
#include <QTreeWidgetItem>

namespace {

struct OutcomeLook
{
    const char* text;
    const char* style;
};

// Readable from two metres: a word or two on a full colour.
OutcomeLook lookOf(ShipOutcome outcome)
{
    switch (outcome) {
    case ShipOutcome::Shipped:
        return {"发货成功", "background-color: #1b8a2e; color: white;"};
    case ShipOutcome::Overweight:
        return {"超重", "background-color: #e07b00; color: white;"};
    case ShipOutcome::Abnormal:
        return {"重量异常", "background-color: #f2c200; color: black;"};
    case ShipOutcome::Refused:
        return {"未发货", "background-color: #c62828; color: white;"};
    case ShipOutcome::NotFound:
        return {"单号不存在", "background-color: #6a1b9a; color: white;"};
    case ShipOutcome::WeighedOnly:
        return {"已称重 未发货", "background-color: #1565c0; color: white;"};
    case ShipOutcome::Unstable:
        return {"重量不稳定", "background-color: #c62828; color: white;"};
    case ShipOutcome::ParcelOn:
        return {"请先取下上一个包裹!", "background-color: #c62828; color: white;"};
    case ShipOutcome::None:
        break;
    }
    return {"", ""};
}

// Text the operator typed or pasted: upper case, and no longer than the box takes.
void tidyEdited(QLineEdit* box, bool upperCase, int maxTyped)
{
    QString text = box->text();
    if (upperCase) {
        text = text.toUpper();
    }
    if (maxTyped > 0 && text.size() > maxTyped) {
        text.truncate(maxTyped);
    }
    if (text != box->text()) {
        const int cursor = box->cursorPosition();
        box->setText(text);
        box->setCursorPosition(std::min<int>(cursor, static_cast<int>(text.size())));
    }
}

} // namespace

// The station log of the tab, which also puts an abnormal weight on the outcome banner at once:
// the operator sees why the question is asked while it is open.
class ScanTab::OutcomeSink : public ReportSink
{
public:
    OutcomeSink(ScanTab& tab, StationReport& report)
        : m_tab(tab)
        , m_report(report)
    {
    }
    void reportResult(const QString& line, bool success) override { m_report.reportResult(line, success); }
    void reportOverweight(const QString& line) override { m_report.reportOverweight(line); }
    void trimLog() override { m_report.trimLog(); }
    void reportAbnormal(const QString& line) override
    {
        m_report.reportAbnormal(line);
        m_tab.redrawLog();
        // "HH:mm:ss : scan : 商品:…kg，包裹:…kg，差:…kg，重量异常!": the expected and the weighed
        // weight go on the banner, where they fit on one line.
        const QStringList weights = line.section(QStringLiteral(" : "), 2).split(QStringLiteral("，"));
        m_tab.showOutcome(ShipOutcome::Abnormal, QString(), weights.mid(0, 2).join(QLatin1Char(' ')));
    }

private:
    ScanTab& m_tab;
    StationReport& m_report;
};

ScanTab::ScanTab(StationSession& session, QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::ScanTab>())
    , m_session(session)
    , m_report(std::make_unique<StationReport>(session.sounds(), [this](const QString&) { redrawLog(); }))
    , m_sink(std::make_unique<OutcomeSink>(*this, *m_report))
{
    m_ui->setupUi(this);
    // The weight box shows the scale's state in words, at its large font.
    m_ui->Edit2->setMinimumWidth(lineEditWidthFor(
        *m_ui->Edit2, {QString::fromUtf8(Texts::kScaleNotConnected), TComThread::unpluggedText()}));
    m_ui->Edit1->setFocus();
    m_ui->Edit2->setText(QString::fromUtf8(Texts::kScaleNotConnected));
    m_ui->edtPreWeight->setAlignment(Qt::AlignCenter);
    m_ui->Picker->setEnabled(false);
    installKeyFilters();

    connect(m_ui->Button1, &QPushButton::clicked, this, &ScanTab::Button1Click);
    connect(m_ui->Edit1, &QLineEdit::textEdited, this, [this] { tidyEdited(m_ui->Edit1, true, 0); });
    connect(m_ui->Edit2, &QLineEdit::textEdited, this,
            [this] { tidyEdited(m_ui->Edit2, true, InputRules::kStationWeightKg.maxTyped); });
    connect(m_ui->Edit3, &QLineEdit::textEdited, this,
            [this] { tidyEdited(m_ui->Edit3, false, InputRules::kPostageYuan.maxTyped); });
    connect(m_ui->Edit2, &QLineEdit::textChanged, this, &ScanTab::Edit2Change);
    connect(m_ui->Edit3, &QLineEdit::textChanged, this, &ScanTab::Edit3Change);
    connect(m_ui->CheckBox1, &QCheckBox::clicked, this, &ScanTab::CheckBox1Click);
    connect(m_ui->CheckBox1, &QCheckBox::clicked, this, &ScanTab::showStableMark);
    connect(m_ui->CheckBox2, &QCheckBox::clicked, this, &ScanTab::CheckBox2Click);
    connect(m_ui->CheckBox4, &QCheckBox::clicked, this, &ScanTab::CheckBox4Click);
    connect(m_ui->CheckBox6, &QCheckBox::clicked, this, &ScanTab::CheckBox6Click);
    connect(m_ui->PickerCheck2, &QCheckBox::clicked, this,
            [this](bool checked) { RememberClick(StationSettings::Staff::Picker, checked); });
    connect(m_ui->PackageIDCheck2, &QCheckBox::clicked, this,
            [this](bool checked) { RememberClick(StationSettings::Staff::Package, checked); });
    connect(m_ui->PackageOperatorCheck2, &QCheckBox::clicked, this,
            [this](bool checked) { RememberClick(StationSettings::Staff::Packer, checked); });
    connect(&m_session.scaleReader(), &ScaleReaderHost::weightText, this, &ScanTab::showScaleWeight);
    connect(&m_session.scaleReader(), &ScaleReaderHost::stableChanged, this, &ScanTab::showStableMark);
    connect(&m_session.settings(), &StationSettings::changed, this, &ScanTab::loadSettings);
    m_ui->Memo1->viewport()->installEventFilter(this);
    loadSettings();
    redrawLog();
    showStableMark();
}

ScanTab::~ScanTab() = default;

PanelStatusBar* ScanTab::statusBar() const
{
    return m_ui->StatusBar1;
}

void ScanTab::fillFromOrderDatabase()
{
    OrderDatabase& orderDb = m_session.orderDb();
    if (!orderDb.isOpen()) {
        return;
    }
    const QStringList staff = orderDb.staffNames();
    const QStringList packages = orderDb.packageNames();
    for (QComboBox* box : {m_ui->Picker, m_ui->PackageOperator}) {
        box->clear();
        box->addItem(QString());
        box->addItems(staff);
    }
    m_ui->PackageID->clear();
    m_ui->PackageID->addItem(QString());
    m_ui->PackageID->addItems(packages);
    loadSettings();
}

void ScanTab::loadSettings()
{
    // Without readable options the boxes stay as they are; the start has said why.
    StationSettings::Options stored;
    if (!m_session.settings().read(&stored, nullptr)) {
        return;
    }
    m_ui->CheckBox4->setChecked(stored.summary);
    m_ui->CheckBox6->setChecked(stored.weighOnly);
    using Staff = StationSettings::Staff;
    const struct
    {
        Staff which;
        QComboBox* list;
        QCheckBox* remember;
    } boxes[] = {
        {Staff::Picker, m_ui->Picker, m_ui->PickerCheck2},
        {Staff::Package, m_ui->PackageID, m_ui->PackageIDCheck2},
        {Staff::Packer, m_ui->PackageOperator, m_ui->PackageOperatorCheck2},
    };
    for (const auto& box : boxes) {
        const StationSettings::StaffSetting& setting = stored.staff(box.which);
        if (setting.remembered) {
            // A remembered name no longer in the list leaves the list without a selection.
            box.list->setCurrentIndex(
                box.list->findText(setting.value, Qt::MatchExactly | Qt::MatchCaseSensitive));
        }
        box.remember->setEnabled(setting.used);
        box.remember->setChecked(setting.remembered);
        box.list->setEnabled(setting.used && !setting.remembered);
    }
}

bool ScanTab::isManualScale() const
{
    return m_session.stationScale().scaleTypeIndex() == kManualScaleTypeIndex;
}

void ScanTab::showScaleWeight(const QString& text)
{
    m_ui->Edit2->setText(text);
    showStableMark();
}

void ScanTab::showStableMark()
{
    // Typed weights have no mark: they are taken as they are.
    const bool weighing =
        !isManualScale() && !m_ui->CheckBox1->isChecked() && !m_session.scaleReader().isStopRequested();
    m_ui->LabelStable->setVisible(weighing);
    const bool stable = m_session.scaleReader().isStable();
    m_ui->LabelStable->setText(stable ? QStringLiteral("稳定") : QStringLiteral("不稳"));
    m_ui->LabelStable->setStyleSheet(stable ? QStringLiteral("background-color: #1b8a2e; color: white;")
                                            : QStringLiteral("background-color: #e07b00; color: white;"));
}

void ScanTab::setManualWeightCaption(const QString& caption)
{
    m_ui->CheckBox1->setText(caption);
}

void ScanTab::setWeightReadOnly(bool readOnly)
{
    m_ui->Edit2->setReadOnly(readOnly);
    showStableMark();
}

void ScanTab::focusFirstBox()
{
    if (isManualScale()) {
        selectWeightBox();
    } else {
        selectScanBox();
    }
}

void ScanTab::redrawLog()
{
    m_ui->Memo1->setPlainText(m_report->log().text());
    // Lines that left the log take their explanation with them.
    const QStringList& lines = m_report->log().lines();
    for (auto it = m_lineExplanations.begin(); it != m_lineExplanations.end();) {
        it = lines.contains(it.key()) ? std::next(it) : m_lineExplanations.erase(it);
    }
}

bool ScanTab::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->Memo1->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString line = m_ui->Memo1->cursorForPosition(help->pos()).block().text();
        const QString explanation = m_lineExplanations.value(line);
        if (explanation.isEmpty()) {
            QToolTip::hideText();
        } else {
            QToolTip::showText(help->globalPos(), explanation, m_ui->Memo1);
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ScanTab::showOutcome(ShipOutcome outcome, const QString& scan, const QString& detail)
{
    const OutcomeLook look = lookOf(outcome);
    QString text = QString::fromUtf8(look.text);
    const QString after = detail.isEmpty() ? scan : detail;
    if (!text.isEmpty() && !after.isEmpty()) {
        text += QStringLiteral("  ") + after;
    }
    m_ui->LabelOutcome->setText(text);
    m_ui->LabelOutcome->setStyleSheet(QString::fromLatin1(look.style));
}

void ScanTab::Button1Click()
{
    // A message box of a run keeps the event loop going; a second scan waits for the first.
    if (m_shipping) {
        return;
    }
    m_shipping = true;
    const QString scan = m_ui->Edit1->text();
    StationScale& scale = m_session.stationScale();
    StationServices services{m_session.orderDb(),
                             m_session.settings(),
                             m_session.postageDb(),
                             m_session.prompter(),
                             *m_sink,
                             m_session.sounds(),
                             m_session.context().operatorName,
                             scale.scaleTypeIndex(),
                             scale.scaleRange(),
                             &scale};
    setPostageExplanation(QString());
    m_lastOutcome = ShipProcedure(services, *this).run();
    // The newest line (under the log's empty first line) is the shipped parcel's.
    const QStringList& lines = m_report->log().lines();
    if (wasShipped(m_lastOutcome) && !m_runExplanation.isEmpty() && lines.size() > 1) {
        m_lineExplanations.insert(lines.at(1), m_runExplanation);
    }
    redrawLog();
    if (m_lastOutcome != ShipOutcome::None) {
        showOutcome(m_lastOutcome, scan);
    }
    keepScanTypedDuringQuestion();
    m_shipping = false;
}

void ScanTab::keepScanTypedDuringQuestion()
{
    const QString typed = m_session.prompter().takeTypedDuringQuestion().trimmed().toUpper();
    if (typed.isEmpty()) {
        return;
    }
    m_report->reportResult(ShipText::head(typed) + QStringLiteral("询问未回答时扫描,未发货,请按回车发货!"),
                           false);
    redrawLog();
    m_ui->Edit1->setText(typed);
    selectScanBox();
}

void ScanTab::installKeyFilters()
{
    InputKeyFilter::install(m_ui->Edit1, InputRules::kText)->onEnter([this] { Button1Click(); });
    // With typed weights any key but Enter clears the Enter-handled mark.
    InputKeyFilter::install(m_ui->Edit2, InputRules::kStationWeightKg)
        ->onEnter([this] { Edit2Enter(); })
        ->onTyping([this] {
            if (isManualScale()) {
                m_enterHandled = false;
            }
        });
    InputKeyFilter::install(m_ui->Edit3, InputRules::kPostageYuan);
}

void ScanTab::Edit2Enter()
{
    // A typed weight followed by Enter moves on to the waybill box; a second Enter without new
    // input does nothing.
    if (isManualScale() && !m_enterHandled && !m_ui->CheckBox1->isChecked()) {
        m_session.sounds().play(QString::fromLatin1(Sounds::kDing));
        selectScanBox();
        m_enterHandled = true;
    }
}

void ScanTab::Edit2Change(const QString& text)
{
    if (InputRules::startsIllegally(text)) {
        m_report->reportResult(ShipText::now() + QStringLiteral(" : 输入非法数据!!") + text, false);
    }
}

void ScanTab::Edit3Change(const QString& text)
{
    if (!InputRules::startsIllegally(text)) {
        return;
    }
    m_ui->Edit3->clear();
    m_session.prompter().inform(QStringLiteral("输入非法数据!"));
}

void ScanTab::CheckBox1Click(bool checked)
{
    QLineEdit* weight = m_ui->Edit2;
    if (!isManualScale()) {
        weight->setReadOnly(!checked);
        weight->clear();
        if (checked) {
            weight->setFocus();
            m_session.stationScale().suspendReader();
        } else {
            m_ui->Edit1->setFocus();
            m_session.stationScale().resumeReader();
        }
        return;
    }
    // Typed weights: the box locks the weight while ticked.
    if (checked) {
        weight->setReadOnly(true);
        m_ui->Edit1->setFocus();
    } else {
        weight->setReadOnly(false);
        selectWeightBox();
    }
}

void ScanTab::CheckBox2Click(bool checked)
{
    m_ui->Edit3->setReadOnly(!checked);
    m_ui->Edit3->clear();
    if (checked) {
        m_ui->Edit3->setFocus();
    } else {
        m_ui->Edit1->setFocus();
    }
}

void ScanTab::CheckBox4Click(bool checked)
{
    if (!checked) {
        m_ui->ListViewDetail->clear();
    }
    QString error;
    if (!m_session.settings().storeSummary(checked, &error)) {
        m_session.prompter().inform(QString::fromUtf8(Texts::kSaveSettingsFailed) + error);
    }
}

void ScanTab::CheckBox6Click(bool checked)
{
    QString error;
    if (!m_session.settings().storeWeighOnly(checked, &error)) {
        m_session.prompter().inform(QString::fromUtf8(Texts::kSaveSettingsFailed) + error);
    }
}

void ScanTab::RememberClick(StationSettings::Staff which, bool checked)
{
    QComboBox* box =
        which == StationSettings::Staff::Picker
            ? m_ui->Picker
            : (which == StationSettings::Staff::Package ? m_ui->PackageID : m_ui->PackageOperator);
    box->setEnabled(!checked);
    QString error;
    if (!m_session.settings().storeRemembered(which, checked, box->currentText(), &error)) {
        m_session.prompter().inform(QString::fromUtf8(Texts::kSaveSettingsFailed) + error);
    }
}

// --- ScanView ---

QComboBox* ScanTab::list(StaffBox box) const
{
    switch (box) {
    case StaffBox::Picker:
        return m_ui->Picker;
    case StaffBox::PackageOperator:
        return m_ui->PackageOperator;
    case StaffBox::Package:
        break;
    }
    return m_ui->PackageID;
}

QString ScanTab::weightText() const
{
    return m_ui->Edit2->text();
}

QString ScanTab::scanText() const
{
    return m_ui->Edit1->text();
}

QString ScanTab::postageText() const
{
    return m_ui->Edit3->text();
}

void ScanTab::setPostageText(const QString& text)
{
    m_ui->Edit3->setText(text);
}

void ScanTab::setPostageExplanation(const QString& text)
{
    m_runExplanation = text;
    m_ui->Edit3->setToolTip(text);
}

bool ScanTab::tradeNumberChecked() const
{
    return m_ui->chkTradeNo->isChecked();
}

bool ScanTab::summaryChecked() const
{
    return m_ui->CheckBox4->isChecked();
}

bool ScanTab::weighOnlyChecked() const
{
    return m_ui->CheckBox6->isChecked();
}

bool ScanTab::manualPostageChecked() const
{
    return m_ui->CheckBox2->isChecked();
}

bool ScanTab::manualWeightChecked() const
{
    return m_ui->CheckBox1->isChecked();
}

bool ScanTab::staffEnabled(StaffBox box) const
{
    return list(box)->isEnabledTo(this);
}

QString ScanTab::staffText(StaffBox box) const
{
    return list(box)->currentText();
}

bool ScanTab::staffSelected(StaffBox box) const
{
    return list(box)->currentIndex() >= 0;
}

void ScanTab::showStaff(StaffBox box, const QString& name)
{
    QComboBox* staff = list(box);
    const int index = staff->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0) {
        staff->setCurrentIndex(index);
    }
}

void ScanTab::clearTradeDisplays()
{
    m_ui->ListViewDetail->clear();
    m_ui->Memo2->clear();
}

void ScanTab::appendSummaryLine(const QString& line)
{
    m_ui->Memo2->appendPlainText(line);
}

void ScanTab::addGoodsRow(const QStringList& columns)
{
    new QTreeWidgetItem(m_ui->ListViewDetail, columns);
}

void ScanTab::setDifferenceText(const QString& text)
{
    m_ui->EditDW->setText(text);
}

void ScanTab::setLastWeightText(const QString& text)
{
    m_ui->edtPreWeight->setText(text);
}

void ScanTab::selectScanBox()
{
    m_ui->Edit1->selectAll();
    m_ui->Edit1->setFocus();
}

void ScanTab::selectWeightBox()
{
    m_ui->Edit2->selectAll();
    m_ui->Edit2->setFocus();
}
