#include "station/gui/ScanTab.h"

#include "base/Texts.h"
#include "ui_ScanTab.h"

#include "app/LoginContext.h"
#include "app/StationStores.h"
#include "base/Prompter.h"
#include "base/SoundPlayer.h"
#include "base/Sounds.h"
#include "base/gui/InputKeyFilter.h"
#include "station/ShipProcedure.h"
#include "station/ShipText.h"
#include "station/StationReport.h"
#include "station/StationScale.h"
#include "station/StationServices.h"

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

ScanTab::ScanTab(QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::ScanTab>())
{
    m_ui->setupUi(this);
    m_ui->Edit1->setFocus();
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
    connect(m_ui->CheckBox2, &QCheckBox::clicked, this, &ScanTab::CheckBox2Click);
    connect(m_ui->CheckBox4, &QCheckBox::clicked, this, &ScanTab::CheckBox4Click);
    connect(m_ui->CheckBox6, &QCheckBox::clicked, this, &ScanTab::CheckBox6Click);
    connect(m_ui->PickerCheck2, &QCheckBox::clicked, this,
            [this](bool checked) { RememberClick(ScanOptions::Staff::Picker, checked); });
    connect(m_ui->PackageIDCheck2, &QCheckBox::clicked, this,
            [this](bool checked) { RememberClick(ScanOptions::Staff::Package, checked); });
    connect(m_ui->PackageOperatorCheck2, &QCheckBox::clicked, this,
            [this](bool checked) { RememberClick(ScanOptions::Staff::Packer, checked); });
}

ScanTab::~ScanTab() = default;

PanelStatusBar* ScanTab::statusBar() const
{
    return m_ui->StatusBar1;
}

void ScanTab::attach(StationStores& stores, LoginContext& context, Prompter& prompter, SoundPlayer& sounds,
                     StationScale& scale)
{
    m_stores = &stores;
    m_context = &context;
    m_prompter = &prompter;
    m_sounds = &sounds;
    m_scale = &scale;
    m_report = std::make_unique<StationReport>(sounds, [this](const QString&) { redrawLog(); });
    redrawLog();
}

void ScanTab::fillStaffLists(const QStringList& staff, const QStringList& packages)
{
    for (QComboBox* box : {m_ui->Picker, m_ui->PackageOperator}) {
        box->clear();
        box->addItem(QString());
        box->addItems(staff);
    }
    m_ui->PackageID->clear();
    m_ui->PackageID->addItem(QString());
    m_ui->PackageID->addItems(packages);
}

void ScanTab::applyStaffSettings(QSqlDatabase& loginDb)
{
    const auto stored = ScanOptions::read(loginDb);
    if (!stored) {
        return;
    }
    using Staff = ScanOptions::Staff;
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
        const ScanOptions::StaffSetting& setting = stored->staff(box.which);
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
    return m_scale && m_scale->scaleTypeIndex() == kManualScaleTypeIndex;
}

QSqlDatabase* ScanTab::loginDb() const
{
    return m_stores && m_stores->loginOpen() ? &m_stores->loginDb() : nullptr;
}

void ScanTab::redrawLog()
{
    if (m_report) {
        m_ui->Memo1->setPlainText(m_report->log().text());
    }
}

void ScanTab::showOutcome(ShipOutcome outcome, const QString& scan)
{
    const OutcomeLook look = lookOf(outcome);
    const QString text = QString::fromUtf8(look.text);
    m_ui->LabelOutcome->setText(text.isEmpty() || scan.isEmpty() ? text : text + QStringLiteral("  ") + scan);
    m_ui->LabelOutcome->setStyleSheet(QString::fromLatin1(look.style));
}

void ScanTab::Button1Click()
{
    // A message box of a run keeps the event loop going; a second scan waits for the first.
    if (!m_stores || m_shipping) {
        return;
    }
    m_shipping = true;
    const QString scan = m_ui->Edit1->text();
    StationServices services{m_stores->orderDb(),
                             loginDb(),
                             m_stores->postageOpen() ? &m_stores->postageDb() : nullptr,
                             *m_prompter,
                             *m_report,
                             *m_sounds,
                             m_context->operatorName,
                             m_scale->scaleTypeIndex(),
                             m_scale->scaleRange()};
    m_lastOutcome = ShipProcedure(services, *this).run();
    redrawLog();
    if (m_lastOutcome != ShipOutcome::None) {
        showOutcome(m_lastOutcome, scan);
    }
    m_shipping = false;
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
        if (m_sounds) {
            m_sounds->play(QString::fromLatin1(Sounds::kDing));
        }
        selectScanBox();
        m_enterHandled = true;
    }
}

void ScanTab::Edit2Change(const QString& text)
{
    if (m_report && InputRules::startsIllegally(text)) {
        m_report->reportResult(ShipText::now() + QStringLiteral(" : 输入非法数据!!") + text, false);
    }
}

void ScanTab::Edit3Change(const QString& text)
{
    if (!InputRules::startsIllegally(text)) {
        return;
    }
    m_ui->Edit3->clear();
    if (m_prompter) {
        m_prompter->inform(QStringLiteral("输入非法数据!"));
    }
}

void ScanTab::CheckBox1Click(bool checked)
{
    QLineEdit* weight = m_ui->Edit2;
    if (!isManualScale()) {
        weight->setReadOnly(!checked);
        weight->clear();
        if (checked) {
            weight->setFocus();
            if (m_scale) {
                m_scale->suspendReader();
            }
        } else {
            m_ui->Edit1->setFocus();
            if (m_scale) {
                m_scale->resumeReader();
            }
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
    QSqlDatabase* db = loginDb();
    QString error;
    if (db && !ScanOptions::storeSummary(*db, checked, &error) && m_prompter) {
        m_prompter->inform(QString::fromUtf8(Texts::kSaveSettingsFailed) + error);
    }
}

void ScanTab::CheckBox6Click(bool checked)
{
    QSqlDatabase* db = loginDb();
    QString error;
    const bool stored = db ? ScanOptions::storeWeighOnly(*db, checked, &error) : false;
    if (!stored && m_prompter) {
        m_prompter->inform(db ? QString::fromUtf8(Texts::kSaveSettingsFailed) + error
                              : QString::fromUtf8(Texts::kConfigAccessFailed));
    }
}

void ScanTab::RememberClick(ScanOptions::Staff which, bool checked)
{
    QComboBox* box = which == ScanOptions::Staff::Picker
                         ? m_ui->Picker
                         : (which == ScanOptions::Staff::Package ? m_ui->PackageID : m_ui->PackageOperator);
    box->setEnabled(!checked);
    QSqlDatabase* db = loginDb();
    QString error;
    if (db && !ScanOptions::storeRemembered(*db, which, checked, box->currentText(), &error) && m_prompter) {
        m_prompter->inform(QString::fromUtf8(Texts::kSaveSettingsFailed) + error);
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
