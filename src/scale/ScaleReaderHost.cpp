#include "scale/ScaleReaderHost.h"

#include "base/Prompter.h"
#include "scale/TComThread.h"

#include <limits>

namespace {
constexpr unsigned long EndOfProgramWaitMs = 1000;
}

ScaleReaderHost::ScaleReaderHost(Prompter& prompter, QObject* parent)
    : QObject(parent)
    , m_prompter(prompter)
{
    m_clock.start();
    m_stableExpiry.setSingleShot(true);
    m_stableExpiry.setTimerType(Qt::PreciseTimer);
    connect(&m_stableExpiry, &QTimer::timeout, this, &ScaleReaderHost::updateStable);
}

ScaleReaderHost::~ScaleReaderHost()
{
    if (!m_reader) {
        return;
    }
    m_reader->requestStop();
    if (!m_reader->wait(EndOfProgramWaitMs)) {
        // The thread is stuck in the system; it ends with the process. Destroying a running
        // thread would abort the program instead of ending it.
        m_reader->disconnect(this);
        (void)m_reader.release();
    }
}

bool ScaleReaderHost::start(const ReaderConfig& config)
{
    stopAndWait();
    m_decoder.setSettings({config.scaleTypeIndex, config.portNumber, config.scaleRange});
    // What the old port left unfinished ends here; the new port's first frame is shown.
    m_decoder.beginStream();
    m_stability.setRule({300, 3, WeightStability::divisionGramsOf(config.scaleTypeIndex)});
    updateStable();
    m_reader = std::make_unique<TComThread>(config);
    connect(m_reader.get(), &TComThread::byteReceived, this, &ScaleReaderHost::onByte);
    connect(m_reader.get(), &TComThread::statusText, this, &ScaleReaderHost::onStatus);
    connect(m_reader.get(), &TComThread::failed, this,
            [this](const QString& report) { m_prompter.inform(report); });
    const TComThread::OpenResult result = m_reader->begin();
    if (!result.opened) {
        m_prompter.inform(result.failure);
        return false;
    }
    for (const QString& report : result.configurationReports) {
        m_prompter.inform(report);
    }
    return true;
}

void ScaleReaderHost::stopAndWait()
{
    if (!m_reader) {
        return;
    }
    m_reader->requestStop();
    m_reader->wait();
    m_reader.reset();
}

void ScaleReaderHost::requestStop()
{
    if (m_reader) {
        m_reader->requestStop();
    }
}

void ScaleReaderHost::suspend()
{
    if (m_reader) {
        m_reader->suspend();
        // The frames before the typing say nothing of the weight after it.
        m_stability.reset();
        updateStable();
    }
}

void ScaleReaderHost::resume()
{
    if (!m_reader || m_reader->isStopRequested() || !m_reader->isSuspended()) {
        return;
    }
    // What the scale sent meanwhile was dropped, so the frame in progress is cut.
    m_decoder.resynchronise();
    m_reader->resume();
}

bool ScaleReaderHost::isStopRequested() const
{
    return !m_reader || m_reader->isStopRequested();
}

bool ScaleReaderHost::isSuspended() const
{
    return m_reader && m_reader->isSuspended();
}

void ScaleReaderHost::markParcelShipped()
{
    m_watchingEmpty = true;
    m_lightestSinceMark = std::numeric_limits<double>::infinity();
}

bool ScaleReaderHost::readBelowSinceMark(double grams) const
{
    return !m_watchingEmpty || m_lightestSinceMark < grams;
}

void ScaleReaderHost::onByte(char byte)
{
    const qint64 now = m_clock.elapsed();
    m_history.add(now, byte);
    emit rawByte(now, byte);
    const auto text = m_decoder.decode(byte);
    if (!text) {
        return;
    }
    bool number = false;
    const double kilograms = text->toDouble(&number);
    if (number) {
        m_lightestSinceMark = std::min(m_lightestSinceMark, kilograms * 1000.0);
    } else if (*text == WeightDecoder::negativeText()) {
        m_lightestSinceMark = -std::numeric_limits<double>::infinity();
    }
    m_stability.addFrame(now, *text);
    // The box shows the weight before its mark: whoever reads a stable mark finds its weight there.
    emit weightText(*text);
    updateStable();
}

void ScaleReaderHost::onStatus(const QString& text)
{
    m_stability.reset();
    emit weightText(text);
    updateStable();
}

void ScaleReaderHost::updateStable()
{
    const qint64 now = m_clock.elapsed();
    const bool stable = m_stability.isStableAt(now);
    if (const auto until = m_stability.stableUntil(now)) {
        m_stableExpiry.start(static_cast<int>(std::max<qint64>(0, *until - now)));
    } else {
        m_stableExpiry.stop();
    }
    if (stable != m_stable) {
        m_stable = stable;
        emit stableChanged(stable);
    }
}
