#pragma once

#include "engine/model/KM_Object.h"

// A node's transform: four rows of three floats, the last the translation. Always embedded in its
// owner, so its Read starts with the type id.
class KM_NodeTM : public KM_Object
{
public:
    static constexpr uint32_t kTypeId = 17;

    struct Matrix
    {
        float m[4][4];
    };

    KM_NodeTM();
    KM_NodeTM(const KM_NodeTM& other) = default;
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    // The rows extended by a fourth column 0, 0, 0, 1.
    Matrix GetMatrix() const;

    float m_Rows[4][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}};
};
