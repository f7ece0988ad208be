#include "scale/gui/TElectronicScaleSetDlg.h"
#include "ui_TElectronicScaleSetDlg.h"

#include "base/InputRules.h"
#include "base/Prompter.h"
#include "base/gui/InputKeyFilter.h"
#include "scale/ComDeviceMap.h"
#include "scale/ScaleRecording.h"
#include "scale/ScaleSettingsStore.h"

#include <QFileDialog>
#include <QSerialPortInfo>
#include <QShowEvent>
#include <QSignalBlocker>

TElectronicScaleSetDlg::TElectronicScaleSetDlg(QSqlDatabase& loginDb, Prompter& prompter,
                                               const ScaleState& state, QWidget* parent,
                                               const RawByteHistory* history)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::TElectronicScaleSetDlg>())
    , m_db(loginDb)
    , m_prompter(prompter)
    , m_state(state)
    , m_chosenPort(state.portNumber)
    , m_chosenType(state.scaleTypeIndex)
    , m_history(history)
{
    m_ui->setupUi(this);
    InputKeyFilter::install(m_ui->Range, InputRules::kScaleRangeKg);
    InputKeyFilter::install(m_ui->Rate, InputRules::kBaudRate);

    connect(m_ui->ComboBox1, &QComboBox::currentIndexChanged, this, &TElectronicScaleSetDlg::ComboBox1Change);
    connect(m_ui->ComboBox2, &QComboBox::currentIndexChanged, this, &TElectronicScaleSetDlg::ComboBox2Change);
    connect(m_ui->Range, &QLineEdit::textChanged, this, &TElectronicScaleSetDlg::RangeChange);
    connect(m_ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->BtnSaveRecord, &QPushButton::clicked, this, &TElectronicScaleSetDlg::BtnSaveRecordClick);
    m_ui->BtnSaveRecord->setVisible(m_history != nullptr);
    m_chooseRecordPath = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("保存称重记录"),
                                            QStringLiteral("称重记录.txt"),
                                            QStringLiteral("称重记录 (*.txt)"));
    };
}

void TElectronicScaleSetDlg::BtnSaveRecordClick()
{
    const QList<RecordedChunk> chunks = m_history ? m_history->chunks() : QList<RecordedChunk>();
    if (chunks.isEmpty()) {
        m_prompter.inform(QStringLiteral("最近十分钟没有收到电子秤的数据!"));
        return;
    }
    const QString path = m_chooseRecordPath();
    if (path.isEmpty()) {
        return;
    }
    QString error;
    if (!ScaleRecording::save(path, chunks, &error)) {
        m_prompter.inform(QStringLiteral("保存称重记录失败: ") + error);
        return;
    }
    m_prompter.inform(QStringLiteral("称重记录已保存: ") + path);
}

TElectronicScaleSetDlg::~TElectronicScaleSetDlg() = default;

ScaleChoice TElectronicScaleSetDlg::choice() const
{
    ScaleChoice result;
    result.portNumber = m_chosenPort;
    result.scaleTypeIndex = m_chosenType;
    result.range = m_ui->Range->text();
    result.baudRate = m_ui->Rate->text();
    result.device = m_ui->ComDevice->currentText().trimmed();
    return result;
}

void TElectronicScaleSetDlg::showEvent(QShowEvent* event)
{
    // Only a real showing, not the window system restoring a minimised dialog.
    if (!event->spontaneous()) {
        FormOnShow();
    }
    QDialog::showEvent(event);
}

void TElectronicScaleSetDlg::FormOnShow()
{
    QString error;
    const auto counts = ScaleSettingsStore::loadCountsAndUpgrade(m_db, &error);
    if (!counts) {
        m_prompter.inform(error);
    }
    const int portCount = counts ? counts->ports : 0;
    const int typeCount = counts ? counts->types : 0;

    // The lists show the settings in force, and so does what OK will apply, even when the
    // operator changed a list and cancelled the last time.
    m_chosenPort = m_state.portNumber;
    m_chosenType = m_state.scaleTypeIndex;

    const QSignalBlocker portBlocker(m_ui->ComboBox2);
    const QSignalBlocker typeBlocker(m_ui->ComboBox1);
    m_ui->ComboBox2->clear();
    for (int port = 1; port <= portCount; ++port) {
        m_ui->ComboBox2->addItem(QStringLiteral("COM%1").arg(port));
    }
    m_ui->ComboBox2->setCurrentIndex(m_chosenPort >= 1 && m_chosenPort <= portCount ? m_chosenPort - 1 : -1);

    m_ui->ComboBox1->clear();
    m_ui->ComboBox1->addItems(ScaleSettingsStore::typeNames(m_db, typeCount));
    m_ui->ComboBox1->setCurrentIndex(m_chosenType < m_ui->ComboBox1->count() ? m_chosenType : -1);

    const bool withPort = m_chosenType != kManualScaleTypeIndex;
    m_ui->ComboBox2->setEnabled(withPort);
    m_ui->ComDevice->setEnabled(withPort);
    showDeviceOf(m_chosenPort);

    m_ui->Range->clear();
    if (const auto texts = ScaleSettingsStore::typeTexts(m_db, m_chosenType + 1)) {
        m_ui->Range->setText(texts->range);
        m_ui->Rate->setText(texts->baudRate);
    }
}

void TElectronicScaleSetDlg::ComboBox1Change(int index)
{
    m_chosenType = index;
    const bool withPort = index != kManualScaleTypeIndex;
    m_ui->ComboBox2->setEnabled(withPort);
    m_ui->ComDevice->setEnabled(withPort);
    if (index < 0) {
        return;
    }
    const auto texts = ScaleSettingsStore::typeTexts(m_db, index + 1);
    const QString name = m_ui->ComboBox1->itemText(index);
    if (texts && !texts->range.isEmpty()) {
        m_ui->Range->setText(texts->range);
    } else {
        m_ui->Range->setText(QStringLiteral("请输入") + name + QStringLiteral("量程!"));
        m_ui->Range->setFocus();
    }
    if (texts && !texts->baudRate.isEmpty()) {
        m_ui->Rate->setText(texts->baudRate);
    } else {
        m_ui->Rate->setText(QStringLiteral("请输入") + name + QStringLiteral("波特率!"));
        m_ui->Rate->setFocus();
    }
}

void TElectronicScaleSetDlg::ComboBox2Change(int index)
{
    m_chosenPort = index + 1;
    showDeviceOf(m_chosenPort);
}

void TElectronicScaleSetDlg::showDeviceOf(int portNumber)
{
    // Offer the serial devices present on this machine; any other path may be typed.
    m_ui->ComDevice->clear();
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        m_ui->ComDevice->addItem(info.systemLocation());
    }
    m_ui->ComDevice->setEditText(ComDeviceMap::device(m_db, portNumber));
}

void TElectronicScaleSetDlg::RangeChange(const QString& text)
{
    if (InputRules::startsIllegally(text)) {
        m_ui->Range->clear();
        m_prompter.inform(QStringLiteral("输入违法数据!"));
    }
}
