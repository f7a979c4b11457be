#include "engine/render/kaEffect.h"

#include "engine/core/kaFileSystem.h"
#include "engine/render/kaGraphicsManager.h"

#include "platform/gfx/GfxEffect.h"

using namespace platform;

kaEffect::kaEffect(const std::string& fileName, GfxDevice* device) : m_Name(fileName)
{
    _Load(device);
}

kaEffect::~kaEffect()
{
    ReleaseEffect();
}

GfxResult kaEffect::_Load(GfxDevice* device)
{
    ReleaseEffect();
    if (!device)
        return GFXERR_INVALIDCALL;
    std::string path = ResolvePath(m_Name);
    if (path.empty())
        path = m_Name;
    return GfxEffect::CreateFromFile(device, path, &m_pEffect, nullptr);
}

int32_t kaEffect::ReleaseEffect()
{
    if (m_pEffect)
    {
        m_pEffect->Release();
        m_pEffect = nullptr;
    }
    return 0;
}

GfxResult kaEffect::RecreateEffect()
{
    return _Load(g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr);
}
