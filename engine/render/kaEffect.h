#pragma once

#include "engine/render/kaGraphicsObject.h"

#include "platform/gfx/GfxTypes.h"

#include <string>

namespace platform
{
class GfxDevice;
class GfxEffect;
} // namespace platform

// One effect loaded from an effect file. The graphics manager shares effects by file name and drops and
// re-makes them around a device reset. An effect whose file does not load keeps its name, so the manager
// finds it again instead of registering another broken one.
class kaEffect : public kaGraphicsObject
{
public:
    kaEffect(const std::string& fileName, platform::GfxDevice* device);
    ~kaEffect() override;

    int32_t ReleaseEffect();
    // Loads the file again on the graphics manager's current device.
    platform::GfxResult RecreateEffect();

    // Null while the file does not load or the device is lost.
    platform::GfxEffect* GetEffect() const { return m_pEffect; }
    const std::string& GetName() const { return m_Name; }

private:
    platform::GfxResult _Load(platform::GfxDevice* device);

    platform::GfxEffect* m_pEffect = nullptr;
    std::string m_Name;
};
