#include "goods/gui/GoodsTab.h"
#include "ui_GoodsTab.h"

#include "app/StationSession.h"
#include "base/Texts.h"
#include "base/gui/BoxWidth.h"
#include "base/gui/InputKeyFilter.h"
#include "goods/GoodsWeighing.h"
#include "scale/TComThread.h"

#include <QShowEvent>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QValidator>

namespace {

// Barcodes are kept in upper case, whatever the scanner or the keyboard sends.
class UpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        input = input.toUpper();
        return Acceptable;
    }
};

} // namespace

GoodsTab::GoodsTab(StationSession& session, QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::GoodsTab>())
    , m_session(session)
{
    m_ui->setupUi(this);
    // The weight box shows the scale's state in words, at its large font.
    m_ui->Edit4->setMinimumWidth(lineEditWidthFor(
        *m_ui->Edit4, {QString::fromUtf8(Texts::kScaleNotConnected), TComThread::unpluggedText()}));
    m_ui->Edit4->setText(QString::fromUtf8(Texts::kScaleNotConnected));
    m_weighing = std::make_unique<GoodsWeighing>(session.orderDb(), *this, *this, session.prompter(),
                                                 session.sounds());
    m_weighing->setScaleReader(&session.scaleReader());
    followScaleType();
    m_ui->Count->lineEdit()->setMaxLength(5);
    m_ui->Edit5->setValidator(new UpperCaseValidator(m_ui->Edit5));
    installKeyFilters();

    connect(m_ui->Entry, &QPushButton::clicked, this, &GoodsTab::EntryClick);
    connect(m_ui->Edit4, &QLineEdit::textChanged, this, &GoodsTab::Edit4Change);
    connect(m_ui->Count, &QComboBox::editTextChanged, this, &GoodsTab::CountChange);
    connect(m_ui->CheckCapacity, &QCheckBox::clicked, this, &GoodsTab::CheckCapacityClick);
    connect(m_ui->CheckInput, &QCheckBox::clicked, this, &GoodsTab::CheckInputClick);
    connect(&session.scaleReader(), &ScaleReaderHost::weightText, this, &GoodsTab::showScaleWeight);
    connect(&session.settings(), &StationSettings::changed, this, &GoodsTab::loadSettings);
    loadSettings();
}

GoodsTab::~GoodsTab() = default;

void GoodsTab::followScaleType()
{
    m_weighing->setScaleTypeIndex(m_session.scale().scaleTypeIndex);
}

void GoodsTab::loadSettings()
{
    // Without readable options the boxes stay as they are; the start has said why.
    StationSettings::Options options;
    QStringList counts;
    if (!m_session.settings().read(&options, nullptr) ||
        !m_session.settings().sampleCounts(&counts, nullptr)) {
        return;
    }
    setSampleCounts(counts);
    setSampling(options.sampling);
}

void GoodsTab::setManualWeightCaption(const QString& caption)
{
    m_ui->CheckInput->setText(caption);
}

PanelStatusBar* GoodsTab::statusBar() const
{
    return m_ui->StatusBar2;
}

void GoodsTab::setSampleCounts(const QStringList& counts)
{
    // Filling the list is no typing: a listed "0" is not to raise the first-digit message.
    const QSignalBlocker blocker(m_ui->Count);
    m_ui->Count->clear();
    m_ui->Count->addItems(counts);
    m_ui->Count->setCurrentIndex(-1);
    m_ui->Count->setEditText(QString());
}

void GoodsTab::setSampling(bool on)
{
    m_ui->CheckCapacity->setChecked(on);
    setSamplingEnabled(on);
}

void GoodsTab::showScaleWeight(const QString& text)
{
    m_weighing->scaleWeight(text);
}

// --- handlers ---

void GoodsTab::EntryClick()
{
    if (m_weighing) {
        m_weighing->enter();
    }
}

void GoodsTab::Edit4Change(const QString& text)
{
    if (m_weighing) {
        m_weighing->weightChanged(text);
    }
}

void GoodsTab::CountChange(const QString& text)
{
    if (m_weighing) {
        m_weighing->countChanged(text);
    }
}

void GoodsTab::CheckCapacityClick(bool checked)
{
    if (m_weighing) {
        m_weighing->samplingClicked(checked);
    }
}

void GoodsTab::CheckInputClick(bool checked)
{
    if (m_weighing) {
        m_weighing->manualWeightClicked(checked);
    }
}

void GoodsTab::TableSheet2OnShow()
{
    if (m_weighing) {
        m_weighing->shown();
    }
}

void GoodsTab::installKeyFilters()
{
    // The weight box's limit is the rule's, not the box's own: that would also cut the reader's
    // longer status texts.
    InputKeyFilter::install(m_ui->Edit4, InputRules::kGoodsWeightKg)
        ->onEnter([this] {
            if (m_weighing) {
                m_weighing->weightEnter();
            }
        })
        ->onTyping([this] {
            if (m_weighing) {
                m_weighing->weightKeyTyped();
            }
        });
    InputKeyFilter::install(m_ui->Edit5, InputRules::kText)->onEnter([this] { EntryClick(); });
    InputKeyFilter::install(m_ui->Count->lineEdit(), InputRules::kSampleCount)->alsoWatch(m_ui->Count);
}

void GoodsTab::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        TableSheet2OnShow();
    }
}

// --- GoodsView ---

QString GoodsTab::weightText() const
{
    return m_ui->Edit4->text();
}

void GoodsTab::setWeightText(const QString& text)
{
    m_ui->Edit4->setText(text);
}

void GoodsTab::setWeightReadOnly(bool readOnly)
{
    m_ui->Edit4->setReadOnly(readOnly);
}

void GoodsTab::focusWeight()
{
    m_ui->Edit4->selectAll();
    m_ui->Edit4->setFocus();
}

QString GoodsTab::barcodeText() const
{
    return m_ui->Edit5->text();
}

void GoodsTab::focusBarcode()
{
    m_ui->Edit5->selectAll();
    m_ui->Edit5->setFocus();
}

bool GoodsTab::isManualWeightChecked() const
{
    return m_ui->CheckInput->isChecked();
}

QString GoodsTab::countText() const
{
    return m_ui->Count->currentText();
}

void GoodsTab::resetCount()
{
    m_ui->Count->setCurrentIndex(-1);
    m_ui->Count->setEditText(QString());
}

void GoodsTab::focusCount()
{
    m_ui->Count->lineEdit()->selectAll();
    m_ui->Count->setFocus();
}

void GoodsTab::setSamplingEnabled(bool enabled)
{
    for (QWidget* box : {static_cast<QWidget*>(m_ui->Count), static_cast<QWidget*>(m_ui->Edit6)}) {
        box->setEnabled(enabled);
        box->setBackgroundRole(enabled ? QPalette::Base : QPalette::Window);
    }
}

void GoodsTab::setSampleWeight(const QString& text)
{
    m_ui->Edit6->setText(text);
}

void GoodsTab::setGoodName(const QString& text)
{
    m_ui->GoodName->setText(text);
}

void GoodsTab::setGoodSpec(const QString& text)
{
    m_ui->GoodSpec->setText(text);
}

QString GoodsTab::goodWeight() const
{
    return m_ui->GoodWeight->text();
}

void GoodsTab::setGoodWeight(const QString& text)
{
    m_ui->GoodWeight->setText(text);
}

// --- GoodsLogSink ---

int GoodsTab::lineCount() const
{
    const QTextDocument* document = m_ui->Memo3->document();
    return document->isEmpty() ? 0 : document->blockCount();
}

void GoodsTab::clear()
{
    m_ui->Memo3->clear();
}

void GoodsTab::insertFirst(const QString& line)
{
    if (m_ui->Memo3->document()->isEmpty()) {
        m_ui->Memo3->setPlainText(line);
        return;
    }
    QTextCursor cursor(m_ui->Memo3->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(line + QLatin1Char('\n'));
}

void GoodsTab::append(const QString& line)
{
    m_ui->Memo3->appendPlainText(line);
}
