#include "engine/terrain/kaRotationOnlyView.h"

#include "engine/render/kaGraphicsManager.h"

#include "platform/gfx/GfxDevice.h"

kaRotationOnlyView::kaRotationOnlyView()
{
    platform::GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (!device)
        return;
    device->GetTransform(platform::TS_VIEW, &m_Saved);
    const platform::Matrix view = WithoutTranslation(m_Saved);
    device->SetTransform(platform::TS_VIEW, &view);
    m_Active = true;
}

kaRotationOnlyView::~kaRotationOnlyView()
{
    platform::GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (m_Active && device)
        device->SetTransform(platform::TS_VIEW, &m_Saved);
}

platform::Matrix kaRotationOnlyView::WithoutTranslation(const platform::Matrix& view)
{
    platform::Matrix out = view;
    out(3, 0) = 0.0f;
    out(3, 1) = 0.0f;
    out(3, 2) = 0.0f;
    return out;
}
