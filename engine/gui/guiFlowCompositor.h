#pragma once

#include "engine/gui/guiCompositor.h"

// Pieces flow left to right in lines inside the free space of the profile; pieces aligned left (1),
// centred (2) or right (4) float at that edge of their band and the lines after them flow beside them.
class guiFlowCompositor : public guiCompositor
{
public:
    static constexpr int32_t kKind = 1;

    enum Float : int32_t
    {
        kFloatLeft = 1,
        kFloatCentre = 2,
        kFloatRight = 4,
    };

    int32_t Compose(const std::vector<Piece>& pieces, int32_t start, int32_t startY,
                    guiMarginProfile& profile, std::vector<Line>& lines) override;
    int32_t GetKind() const override { return kKind; }
};
