#include "station/ReaderScale.h"

#include "scale/ScaleReaderHost.h"
#include "scale/ScaleSettingsApply.h"

#include <QEventLoop>
#include <QTimer>

ReaderScale::ReaderScale(const ScaleState& state, ScaleReaderHost& reader)
    : m_state(state)
    , m_reader(reader)
{
}

int ReaderScale::scaleTypeIndex() const
{
    return m_state.scaleTypeIndex;
}

double ReaderScale::scaleRange() const
{
    return m_state.scaleRange;
}

void ReaderScale::suspendReader()
{
    m_reader.suspend();
}

void ReaderScale::resumeReader()
{
    m_reader.resume();
}

bool ReaderScale::isStable() const
{
    return m_reader.isStable();
}

bool ReaderScale::waitForStable(int ms)
{
    if (m_reader.isStable()) {
        return true;
    }
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    // A coarse timer may end a 2 s wait 100 ms early.
    limit.setTimerType(Qt::PreciseTimer);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&m_reader, &ScaleReaderHost::stableChanged, &loop, [&loop](bool stable) {
        if (stable) {
            loop.quit();
        }
    });
    limit.start(ms);
    // Keys wait in the queue: a scanner's next waybill and its Enter arrive after this parcel
    // instead of being typed into a box the run still reads.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return m_reader.isStable();
}

void ReaderScale::markParcelShipped()
{
    m_reader.markParcelShipped();
}

bool ReaderScale::readBelowSinceMark(double grams) const
{
    return m_reader.readBelowSinceMark(grams);
}
