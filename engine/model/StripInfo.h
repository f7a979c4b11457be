#pragma once

#include "engine/model/StripFace.h"
#include "engine/model/StripStart.h"

#include <vector>

// A strip under construction: experimental while it belongs to an experiment, committed after.
class StripInfo
{
public:
    StripInfo(const StripStart& start, int stripId, int experimentId);

    bool IsExperiment() const { return m_ExperimentId >= 0; }
    bool IsInStrip(const StripFace& face) const;
    // Taken faces may not join this strip: committed to any strip, or used by this experiment.
    bool IsTaken(const StripFace& face) const;
    void MarkTriangle(StripFace& face) const;
    void Commit() { m_ExperimentId = -1; }

    StripStart m_Start;
    std::vector<int> m_Faces;
    int m_StripId;
    int m_ExperimentId;
    bool m_Visited = false;
};
