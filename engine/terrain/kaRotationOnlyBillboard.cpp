#include "engine/terrain/kaRotationOnlyBillboard.h"

#include "engine/terrain/kaRotationOnlyView.h"

void kaRotationOnlyBillboard::Render(uint32_t flag)
{
    const kaRotationOnlyView view;
    kaBillboard::Render(flag);
}
