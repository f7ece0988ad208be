#include "scale/ScaleReaderHost.h"

#include "base/Prompter.h"
#include "scale/TComThread.h"

namespace {
constexpr unsigned long EndOfProgramWaitMs = 1000;
}

ScaleReaderHost::ScaleReaderHost(Prompter& prompter, QObject* parent)
    : QObject(parent)
    , m_prompter(prompter)
{
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
    m_reader = std::make_unique<TComThread>(config);
    connect(m_reader.get(), &TComThread::byteReceived, this, &ScaleReaderHost::onByte);
    connect(m_reader.get(), &TComThread::statusText, this, &ScaleReaderHost::weightText);
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

void ScaleReaderHost::onByte(char byte)
{
    if (auto text = m_decoder.decode(byte)) {
        emit weightText(*text);
    }
}
