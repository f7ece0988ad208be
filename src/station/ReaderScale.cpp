#include "station/ReaderScale.h"

#include "scale/ScaleReaderHost.h"
#include "scale/ScaleSettingsApply.h"

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
