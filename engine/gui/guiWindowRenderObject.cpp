#include "engine/gui/guiWindowRenderObject.h"

#include "engine/gui/guiRenderContext.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaGraphicsManager.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"

guiWindowRenderObject::guiWindowRenderObject(guiWindow* window) : m_Window(window)
{
    SetRenderOrder(0);
    if (m_Window != nullptr)
    {
        m_Window->AddRef();
        m_Window->SetRenderAdapter(this);
    }
}

guiWindowRenderObject::~guiWindowRenderObject()
{
    if (m_Window != nullptr)
    {
        m_Window->SetRenderAdapter(nullptr);
        m_Window->Release();
    }
}

void guiWindowRenderObject::Update(float dt)
{
    if (m_Window != nullptr)
    {
        guiRenderContext context;
        context.frameTime = dt;
        DrawTree(m_Window, context);
    }
    ka3DObject::Update(dt);
}

void guiWindowRenderObject::Render(uint32_t /*flag*/)
{
    if (g_pGraphicsManager != nullptr)
    {
        g_pGraphicsManager->DrawQueuedMeshes();
        if (platform::GfxDevice* device = g_pGraphicsManager->GetDevice())
        {
            const platform::Matrix identity;
            device->SetTransform(platform::TS_WORLD, &identity);
        }
    }
    if (m_Window != nullptr && m_Window->IsVisible())
        m_Window->Draw();
}

void guiWindowRenderObject::Initialize()
{
    if (m_Window != nullptr)
        m_Window->CreateDeviceObjectsAll();
}

void guiWindowRenderObject::ReleaseDeviceObjects()
{
    if (m_Window != nullptr)
        m_Window->ReleaseDeviceObjectsAll();
}

void guiWindowRenderObject::CreateDeviceObjects()
{
    if (m_Window != nullptr)
        m_Window->RestoreDeviceObjectsAll();
}
