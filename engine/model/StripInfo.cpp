#include "engine/model/StripInfo.h"

StripInfo::StripInfo(const StripStart& start, int stripId, int experimentId)
    : m_Start(start), m_StripId(stripId), m_ExperimentId(experimentId)
{
}

bool StripInfo::IsInStrip(const StripFace& face) const
{
    return IsExperiment() ? face.m_TestStripId == m_StripId : face.m_StripId == m_StripId;
}

bool StripInfo::IsTaken(const StripFace& face) const
{
    return face.m_StripId >= 0 || (IsExperiment() && face.m_ExperimentId == m_ExperimentId);
}

void StripInfo::MarkTriangle(StripFace& face) const
{
    if (IsExperiment())
    {
        face.m_ExperimentId = m_ExperimentId;
        face.m_TestStripId = m_StripId;
    }
    else
    {
        face.m_ExperimentId = -1;
        face.m_StripId = m_StripId;
    }
}
