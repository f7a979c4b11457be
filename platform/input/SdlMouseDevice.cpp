#include "platform/input/SdlMouseDevice.h"


namespace platform
{
namespace
{

constexpr int kAxisCount = 3;

std::vector<DeviceObjectInstance> MouseObjects()
{
    std::vector<DeviceObjectInstance> objects;
    const struct
    {
        const char* name;
        Guid guid;
    } axes[kAxisCount] = {{"X-axis", kGuidXAxis}, {"Y-axis", kGuidYAxis}, {"Wheel", kGuidZAxis}};
    for (uint32_t i = 0; i < kAxisCount; ++i)
    {
        DeviceObjectInstance object;
        object.typeGuid = axes[i].guid;
        object.offset = i * 4;
        object.type = MakeObjectType(kDidftRelAxis, i);
        object.name = axes[i].name;
        objects.push_back(object);
    }
    for (uint32_t i = 0; i < SdlInputEvents::kMouseButtonCount; ++i)
    {
        DeviceObjectInstance object;
        object.typeGuid = kGuidButton;
        object.offset = kAxisCount * 4 + i;
        object.type = MakeObjectType(kDidftPshButton, i);
        object.name = "Button " + std::to_string(i);
        objects.push_back(object);
    }
    return objects;
}

// Differences of the 64-bit totals wrap like the 32-bit counters a device reports.
int32_t Wrap(int64_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

} // namespace

DeviceInstance SdlMouseDevice::Instance()
{
    DeviceInstance instance;
    instance.instanceGuid = kInstanceGuid;
    instance.productGuid = kInstanceGuid;
    instance.devType = kDi8DevTypeMouse;
    instance.instanceName = "Mouse";
    instance.productName = "Mouse";
    return instance;
}

SdlMouseDevice::SdlMouseDevice(std::shared_ptr<SdlInputEvents> events)
    : InputDeviceBase(kDi8DevTypeMouse, MouseObjects()), m_Events(std::move(events))
{
}

SdlMouseDevice::~SdlMouseDevice()
{
    Unacquire();
}

bool SdlMouseDevice::HasFocus() const
{
    return m_Events->HasFocus();
}

int32_t SdlMouseDevice::ReadObject(size_t index)
{
    if (index >= kAxisCount)
        return m_Events->IsMouseButtonDown(int(index) - kAxisCount) ? 1 : 0;
    const SdlInputEvents::MouseCounters now = m_Events->GetMouseCounters();
    switch (index)
    {
    case 0:
        return Wrap(now.x - m_Origin.x);
    case 1:
        return Wrap(now.y - m_Origin.y);
    default:
        return Wrap(now.wheel - m_Origin.wheel);
    }
}

void SdlMouseDevice::OnAcquired()
{
    // The pointer is not held here even when acquired exclusively: the window layer's relative mode is
    // asked for by whoever hides the on-screen pointer, so that a shown pointer follows the system's.
    m_Origin = m_Events->GetMouseCounters();
}

void SdlMouseDevice::OnUnacquired() {}

} // namespace platform
