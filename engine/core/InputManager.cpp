#include "engine/core/InputManager.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "platform/system/DebugOutput.h"

#include <cstdlib>
#include <tinyxml.h>

InputManager* InputManager::s_Instance = nullptr;

InputManager::InputManager()
{
    s_Instance = this;
}

InputManager::~InputManager()
{
    if (s_Instance == this)
        s_Instance = nullptr;
    m_Devices.clear();
    ClearBindings();
}

bool InputManager::Init()
{
    return true;
}

void InputManager::Update()
{
    for (const std::unique_ptr<InputDevice>& device : m_Devices)
        device->Poll();
}

const InputDevice* InputManager::GetDevice(int device) const
{
    if (device < 0 || device >= int(m_Devices.size()))
        return nullptr;
    return m_Devices[device].get();
}

const InputManager::Action* InputManager::FindAction(int action, int player) const
{
    if (action < 0 || action >= kActionCount || player < 0 || player >= int(m_Players.size()))
        return nullptr;
    return &(*m_Players[player])[action];
}

const InputManager::Action* InputManager::FindBinding(int action, int n, int player) const
{
    const Action* entry = FindAction(action, player);
    if (entry == nullptr || n < 0 || n >= int(entry->devices.size()))
        return nullptr;
    return entry;
}

int32_t InputManager::GetActionValue(int action, int32_t* kind, int player) const
{
    const Action* entry = FindAction(action, player);
    if (entry == nullptr)
        return 0;

    // Strengths in 64 bits: the magnitude of the most negative reading does not fit in 32.
    int32_t best = 0;
    int64_t bestStrength = 0;
    size_t bestBinding = 0;
    for (size_t i = 0; i < entry->devices.size(); ++i)
    {
        const InputDevice* device = GetDevice(entry->devices[i]);
        const int control = entry->controls[i];
        int32_t value = 0;
        if (device == nullptr || !device->GetControlState(control, value, false))
            value = 0;

        int64_t strength = 0;
        int32_t result = value;
        switch (entry->ranges[i])
        {
        case kRangeWhole:
            strength = std::llabs(int64_t(value));
            break;
        case kRangePositive:
            strength = value > 0 ? value : 0;
            break;
        case kRangeNegative:
            if (value < 0)
                strength = -int64_t(value);
            else if (device != nullptr && device->GetControlKind(control) == InputDevice::kKindButton)
            {
                strength = value;
                result = -value;
            }
            break;
        default:
            break;
        }
        if (strength > bestStrength)
        {
            best = result;
            bestStrength = strength;
            bestBinding = i;
        }
    }

    if (kind != nullptr && !entry->devices.empty())
    {
        const InputDevice* device = GetDevice(entry->devices[bestBinding]);
        *kind = device != nullptr ? device->GetControlKind(entry->controls[bestBinding])
                                  : InputDevice::kKindInvalid;
    }
    return best;
}

bool InputManager::AddBinding(int action, int device, int control, int range, int player)
{
    if (player < 0 || device < 0 || device >= int(m_Devices.size()) || control < -1 || action < 0 ||
        action >= kActionCount)
        return false;
    if (player >= kMaxPlayers)
    {
        platform::DebugPrintf("[InputManager::AddBinding] : player %d refused, the limit is %d players",
                              player, kMaxPlayers);
        return false;
    }

    while (int(m_Players.size()) <= player)
        m_Players.push_back(std::make_unique<BindingTable>());

    Action& entry = (*m_Players[player])[action];
    entry.devices.push_back(device);
    entry.controls.push_back(control);
    entry.ranges.push_back(range);
    while (int(entry.devices.size()) > m_BindingCap)
    {
        entry.devices.erase(entry.devices.begin());
        entry.controls.erase(entry.controls.begin());
        entry.ranges.erase(entry.ranges.begin());
    }
    return true;
}

void InputManager::RemoveBinding(int action, int n, int player)
{
    if (FindBinding(action, n, player) == nullptr)
        return;
    Action& entry = (*m_Players[player])[action];
    entry.devices.erase(entry.devices.begin() + n);
    entry.controls.erase(entry.controls.begin() + n);
    entry.ranges.erase(entry.ranges.begin() + n);
}

void InputManager::ClearBindings()
{
    while (!m_Players.empty())
        m_Players.pop_back();
}

int InputManager::GetBindingCount(int action, int player) const
{
    const Action* entry = FindAction(action, player);
    return entry != nullptr ? int(entry->devices.size()) : 0;
}

int InputManager::GetBindingDevice(int action, int n, int player) const
{
    const Action* entry = FindBinding(action, n, player);
    return entry != nullptr ? entry->devices[n] : -1;
}

int InputManager::GetBindingCode(int action, int n, int player) const
{
    const Action* entry = FindBinding(action, n, player);
    return entry != nullptr ? entry->controls[n] : -1;
}

int InputManager::GetBindingRange(int action, int n, int player) const
{
    const Action* entry = FindBinding(action, n, player);
    return entry != nullptr ? entry->ranges[n] : -1;
}

std::string InputManager::GetBindingName(int action, int n, int player) const
{
    const Action* entry = FindBinding(action, n, player);
    if (entry == nullptr)
        return std::string();
    const InputDevice* device = GetDevice(entry->devices[n]);
    std::string name;
    if (device == nullptr || !device->GetControlName(entry->controls[n], name))
        return std::string();
    return name;
}

int InputManager::FindDeviceByType(int32_t type) const
{
    for (size_t i = 0; i < m_Devices.size(); ++i)
        if (m_Devices[i]->GetType() == type)
            return int(i);
    return -1;
}

int InputManager::FindDeviceControlByName(int device, const std::string& name) const
{
    const InputDevice* entry = GetDevice(device);
    return entry != nullptr ? entry->FindControlByName(name) : -1;
}

int InputManager::FindDeviceControlByCode(int device, int code) const
{
    const InputDevice* entry = GetDevice(device);
    return entry != nullptr ? entry->FindControlByCode(code) : -1;
}

int InputManager::GetDeviceControlCode(int device, int n) const
{
    const InputDevice* entry = GetDevice(device);
    return entry != nullptr ? entry->GetControlCode(n) : -1;
}

int32_t InputManager::GetDeviceControlKind(int device, int control) const
{
    const InputDevice* entry = GetDevice(device);
    return entry != nullptr ? entry->GetControlKind(control) : InputDevice::kKindInvalid;
}

std::string InputManager::GetDeviceName(int device) const
{
    const InputDevice* entry = GetDevice(device);
    return entry != nullptr ? entry->GetName() : std::string();
}

bool InputManager::CaptureControl(CaptureRecord& record) const
{
    for (size_t i = 0; i < m_Devices.size(); ++i)
    {
        const InputDevice& device = *m_Devices[i];
        const int control = device.FindChangedControl();
        if (control < 0)
            continue;
        record.deviceName = device.GetName();
        record.deviceIndex = int32_t(i);
        record.controlName.clear();
        device.GetControlName(control, record.controlName);
        record.controlCode = control;
        record.state = 0;
        device.GetControlState(control, record.state, false);
        return true;
    }
    return false;
}

void InputManager::LoadControls(TiXmlElement* element)
{
    if (element == nullptr)
        return;
    for (const TiXmlElement* device = element->FirstChildElement("device"); device != nullptr;
         device = device->NextSiblingElement("device"))
    {
        // A malformed number spoils its own record only: the device, or the one control.
        int index = -1;
        try
        {
            index = kaXmlValues::IntOrThrow(device, "index", -1);
        }
        catch (const ka::bad_lexical_cast&)
        {
            platform::OutputDebugString(
                "[InputManager::LoadControls] : skipped a device with a malformed index");
            continue;
        }
        for (const TiXmlElement* control = device->FirstChildElement("control"); control != nullptr;
             control = control->NextSiblingElement("control"))
        {
            try
            {
                const int code = kaXmlValues::IntOrThrow(control, "code", -1);
                const int action = kaXmlValues::IntOrThrow(control, "action", -1);
                const int range = kaXmlValues::IntOrThrow(control, "range", kRangeWhole);
                const int player = kaXmlValues::IntOrThrow(control, "player", 0);
                if (code >= 0 && action >= 0)
                    AddBinding(action, index, code, range, player);
            }
            catch (const ka::bad_lexical_cast&)
            {
                platform::OutputDebugString(
                    "[InputManager::LoadControls] : skipped a control with a malformed number");
            }
        }
    }
}

void InputManager::SaveControls(TiXmlElement* element)
{
    if (element == nullptr)
        return;
    // Loading adds bindings in file order, so the file follows the bindings' order: a run of bindings on
    // one device shares a "device" element, and a device met again later gets another one. Gathering all
    // of a device's controls under one element would reorder actions bound to several devices.
    TiXmlElement* deviceElement = nullptr;
    int32_t lastDevice = -1;
    for (size_t player = 0; player < m_Players.size(); ++player)
    {
        for (int action = 0; action < kActionCount; ++action)
        {
            const Action& entry = (*m_Players[player])[action];
            for (size_t n = 0; n < entry.devices.size(); ++n)
            {
                const int32_t device = entry.devices[n];
                if (deviceElement == nullptr || device != lastDevice)
                {
                    deviceElement = AppendElement(element, "device");
                    AppendIntElement(deviceElement, "index", device);
                    AppendTextElement(deviceElement, "name", GetDeviceName(device));
                    lastDevice = device;
                }
                std::string controlName;
                if (const InputDevice* source = GetDevice(device))
                    source->GetControlName(entry.controls[n], controlName);

                TiXmlElement* control = AppendElement(deviceElement, "control");
                AppendIntElement(control, "code", entry.controls[n]);
                AppendTextElement(control, "name", controlName);
                AppendIntElement(control, "action", action);
                AppendIntElement(control, "range", entry.ranges[n]);
                AppendIntElement(control, "player", int(player));
            }
        }
    }
}
