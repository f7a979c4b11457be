#pragma once

#include "engine/model/KM_NodeTM.h"

// A node placed by its transform and, optionally, aimed at a target transform: the common head of the
// camera and light chunks, which differ only in the settings that follow it.
class KM_TargetedNode : public KM_Object
{
public:
    KM_NodeTM m_NodeTM;
    uint32_t m_HasTarget = 0;
    KM_NodeTM m_TargetTM;

protected:
    explicit KM_TargetedNode(uint32_t typeId) : KM_Object(typeId, 2) {}
    KM_TargetedNode(const KM_TargetedNode& other) = default;

    // Bytes of the name, the transforms and the target flag.
    uint32_t _HeadBytes();
    // The version and size, the name, the transforms and the target flag. The transforms' own results
    // do not decide the node's.
    bool _ReadHead(KM_Stream* stream);
    // The frame, the name, the transforms and the target flag.
    bool _WriteHead(KM_Stream* stream);
    // The tag line, the name and the transforms, leaving the block open for the settings.
    void _WriteHeadText(KM_Stream* stream);
};
