#include "scale/TComThread.h"

#include "scale/PortMessages.h"

#include <QDeadlineTimer>
#include <QSerialPort>

#include <algorithm>
#include <optional>

namespace {

// Without a byte for this long the boxes say the reader is still waiting.
constexpr int SilenceMs = 800;
// The longest the loop blocks before it looks at a stop request again.
constexpr int SliceMs = 50;
constexpr int HandOverSliceMs = 20;

std::optional<QSerialPort::Parity> parityFor(char parity)
{
    switch (parity) {
    case 'N':
    case 'n':
        return QSerialPort::NoParity;
    case 'E':
    case 'e':
        return QSerialPort::EvenParity;
    case 'O':
    case 'o':
        return QSerialPort::OddParity;
    case 'M':
    case 'm':
        return QSerialPort::MarkParity;
    case 'S':
    case 's':
        return QSerialPort::SpaceParity;
    default:
        return std::nullopt;
    }
}

std::optional<QSerialPort::StopBits> stopBitsFor(int stopBits)
{
    switch (stopBits) {
    case 1:
        return QSerialPort::OneStop;
    case 2:
        return QSerialPort::TwoStop;
    default:
        return std::nullopt;
    }
}

// Configures the open port step by step as the scale needs it; the first step that fails is
// reported and the later ones are skipped.
QStringList configure(QSerialPort& port, const ReaderConfig& config, const QString& label)
{
    // The bytes wait in the driver's queue and are read one at a time; Qt holds only the byte
    // after the one being handed over.
    port.setReadBufferSize(1);
    auto failed = [&](const char* step, const QString& text) {
        return QStringList{PortMessages::failureReport(QString::fromLatin1(step), text, label)};
    };
    auto invalid = [](const QString& what) { return QStringLiteral("参数无效: ") + what; };

    if (config.baudRate <= 0) {
        return failed("setBaudRate()", invalid(QString::number(config.baudRate)));
    }
    if (!port.setBaudRate(config.baudRate)) {
        return failed("setBaudRate()", port.errorString());
    }
    const auto parity = parityFor(config.parity);
    if (!parity) {
        return failed("setParity()", invalid(QString(QLatin1Char(config.parity))));
    }
    if (!port.setParity(*parity)) {
        return failed("setParity()", port.errorString());
    }
    if (config.dataBits < 5 || config.dataBits > 8) {
        return failed("setDataBits()", invalid(QString::number(config.dataBits)));
    }
    if (!port.setDataBits(static_cast<QSerialPort::DataBits>(config.dataBits))) {
        return failed("setDataBits()", port.errorString());
    }
    const auto stopBits = stopBitsFor(config.stopBits);
    if (!stopBits) {
        return failed("setStopBits()", invalid(QString::number(config.stopBits)));
    }
    if (!port.setStopBits(*stopBits)) {
        return failed("setStopBits()", port.errorString());
    }
    if (!port.setFlowControl(QSerialPort::NoFlowControl)) {
        return failed("setFlowControl()", port.errorString());
    }
    // Some scales take their power from RTS. A device without modem lines (a pseudo-terminal)
    // refuses the call; that is not an error for a line that only receives.
    if (!port.setRequestToSend(true)) {
        if (port.error() != QSerialPort::UnsupportedOperationError) {
            return failed("setRequestToSend()", port.errorString());
        }
        port.clearError();
    }
    return {};
}

} // namespace

const QString& TComThread::readingText()
{
    static const QString text = QStringLiteral("读取数据中!");
    return text;
}

const QString& TComThread::unpluggedText()
{
    static const QString text = QStringLiteral("串口线已拔出");
    return text;
}

const QString& TComThread::readErrorText()
{
    static const QString text = QStringLiteral("串口线已拔出,读出数据出错!");
    return text;
}

TComThread::TComThread(const ReaderConfig& config, QObject* parent)
    : QThread(parent)
    , m_config(config)
{
}

TComThread::~TComThread()
{
    requestStop();
    wait();
}

TComThread::OpenResult TComThread::begin()
{
    start();
    m_opened.acquire();
    return m_openResult;
}

void TComThread::requestStop()
{
    m_stopRequested.store(true);
}

void TComThread::suspend()
{
    if (isStopRequested()) {
        return;
    }
    m_suspended.store(true);
}

void TComThread::resume()
{
    if (isStopRequested()) {
        return;
    }
    m_resumed.store(true);
    m_suspended.store(false);
}

void TComThread::run()
{
    const QString label = PortMessages::portLabel(m_config.portNumber, m_config.device);
    QSerialPort port;
    bool opened = false;
    if (m_config.portNumber >= 1 && !m_config.device.isEmpty()) {
        port.setPortName(m_config.device);
        opened = port.open(QIODevice::ReadWrite);
    }
    if (!opened) {
        const auto error = m_config.portNumber >= 1 ? port.error() : QSerialPort::DeviceNotFoundError;
        m_openResult.failure =
            PortMessages::openFailure(label, error, PortMessages::deviceAccessible(m_config.device));
        m_stopRequested.store(true);
        m_opened.release();
        return;
    }
    m_openResult.configurationReports = configure(port, m_config, label);
    // What waited in the queues before we listened is stale.
    port.clear();
    m_openResult.opened = true;
    m_opened.release();

    QDeadlineTimer silence(SilenceMs);
    while (!isStopRequested()) {
        if (m_resumed.exchange(false)) {
            silence.setRemainingTime(SilenceMs);
        }
        const int slice = static_cast<int>(std::clamp<qint64>(silence.remainingTime(), 1, SliceMs));
        if (port.bytesAvailable() > 0 || port.waitForReadyRead(isSuspended() ? SliceMs : slice)) {
            if (!receive(port)) {
                fail(port, "read()", label, readErrorText());
                break;
            }
            // The wait for the next bytes starts once these have been handed over.
            silence.setRemainingTime(SilenceMs);
            continue;
        }
        const auto error = port.error();
        if (error == QSerialPort::TimeoutError || error == QSerialPort::NoError) {
            port.clearError();
            if (silence.hasExpired()) {
                if (!isSuspended()) {
                    postStatus(readingText());
                }
                silence.setRemainingTime(SilenceMs);
            }
            continue;
        }
        // The device went away while we waited (a pulled USB adapter, the far end of the line
        // closed).
        fail(port, "waitForReadyRead()", label, unpluggedText());
        break;
    }
}

bool TComThread::receive(QSerialPort& port)
{
    while (!isStopRequested() && port.bytesAvailable() > 0) {
        char byte = 0;
        if (!port.getChar(&byte)) {
            return false;
        }
        // The next byte is read before this one is handed over: while it comes, the scale is in
        // the midst of sending, and a line that fails now fails a read.
        const bool more = port.waitForReadyRead(0);
        const auto error = port.error();
        const bool failed = !more && error != QSerialPort::TimeoutError && error != QSerialPort::NoError;
        if (!failed) {
            port.clearError();
        }
        // While suspended the port is drained, but what arrives is dropped.
        if (!isSuspended() && !handOver(byte)) {
            return true;
        }
        if (failed) {
            return false;
        }
    }
    return true;
}

void TComThread::fail(const QSerialPort& port, const char* step, const QString& label, const QString& text)
{
    // The operator's typed weight stays on screen; the failure shows once scale weights return.
    waitWhileSuspended();
    // A reader being replaced or ended meanwhile has nobody left to tell.
    if (isStopRequested()) {
        return;
    }
    // Stopped at once, so the failure is told once, and no suspend or resume comes after it.
    requestStop();
    const QString report = PortMessages::failureReport(QString::fromLatin1(step), port.errorString(), label);
    QMetaObject::invokeMethod(
        this,
        [this, report, text] {
            emit failed(report);
            emit statusText(text);
        },
        Qt::QueuedConnection);
}

void TComThread::waitWhileSuspended()
{
    // The operator's typed weight stays on screen; the failure shows once scale weights return.
    while (isSuspended() && !isStopRequested()) {
        msleep(SliceMs);
    }
}

bool TComThread::handOver(char byte)
{
    QMetaObject::invokeMethod(
        this, [this, byte] { deliverByte(byte); }, Qt::QueuedConnection);
    while (!m_handled.tryAcquire(1, HandOverSliceMs)) {
        if (isStopRequested()) {
            return false;
        }
    }
    return true;
}

void TComThread::deliverByte(char byte)
{
    if (!isStopRequested() && !isSuspended()) {
        emit byteReceived(byte);
    }
    m_handled.release();
}

void TComThread::postStatus(const QString& text)
{
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            if (!isSuspended()) {
                emit statusText(text);
            }
        },
        Qt::QueuedConnection);
}
