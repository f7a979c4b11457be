#pragma once

#include "platform/system/Guid.h"
#include "platform/window/Window.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace platform
{

// Result codes of the input interface, with the values the engine compares against.
using HResult = int32_t;
constexpr HResult kDiOk = 0;
constexpr HResult kDiNoEffect = 1;
constexpr HResult kDiErrObjectNotFound = static_cast<HResult>(0x80070002u);
constexpr HResult kDiErrOtherAppHasPrio = static_cast<HResult>(0x80070005u);
constexpr HResult kDiErrNotAcquired = static_cast<HResult>(0x8007000Cu);
constexpr HResult kDiErrInputLost = static_cast<HResult>(0x8007001Eu);
constexpr HResult kDiErrInvalidParam = static_cast<HResult>(0x80070057u);
constexpr HResult kDiErrAcquired = static_cast<HResult>(0x800700AAu);
constexpr HResult kDiErrUnsupported = static_cast<HResult>(0x80004001u);
constexpr HResult kDiErrGeneric = static_cast<HResult>(0x80004005u);
constexpr HResult kDiErrDeviceNotReg = static_cast<HResult>(0x80040154u);

inline bool Failed(HResult result)
{
    return result < 0;
}

// Device types: the low byte of a device's type word.
constexpr uint32_t kDi8DevTypeDevice = 0x11;
constexpr uint32_t kDi8DevTypeMouse = 0x12;
constexpr uint32_t kDi8DevTypeKeyboard = 0x13;
constexpr uint32_t kDi8DevTypeJoystick = 0x14;
constexpr uint32_t kDi8DevTypeGamepad = 0x15;
constexpr uint32_t kDi8DevTypeDriving = 0x16;
constexpr uint32_t kDi8DevTypeFlight = 0x17;

// Device classes for EnumDevices.
constexpr uint32_t kDi8DevClassAll = 0;
constexpr uint32_t kDi8DevClassDevice = 1;
constexpr uint32_t kDi8DevClassPointer = 2;
constexpr uint32_t kDi8DevClassKeyboard = 3;
constexpr uint32_t kDi8DevClassGameCtrl = 4;

constexpr uint32_t kDiEdflAllDevices = 0;
constexpr uint32_t kDiEdflAttachedOnly = 1;

// Object type bits: the low byte of an object's type word; the instance number sits in bits 8 to 23.
constexpr uint32_t kDidftAll = 0;
constexpr uint32_t kDidftRelAxis = 0x01;
constexpr uint32_t kDidftAbsAxis = 0x02;
constexpr uint32_t kDidftAxis = 0x03;
constexpr uint32_t kDidftPshButton = 0x04;
constexpr uint32_t kDidftTglButton = 0x08;
constexpr uint32_t kDidftButton = 0x0C;
constexpr uint32_t kDidftPov = 0x10;

constexpr uint32_t MakeObjectType(uint32_t typeBits, uint32_t instance)
{
    return (typeBits & 0xFFu) | ((instance & 0xFFFFu) << 8);
}
constexpr uint32_t ObjectTypeBits(uint32_t objectType)
{
    return objectType & 0xFFu;
}
constexpr uint32_t ObjectInstance(uint32_t objectType)
{
    return (objectType >> 8) & 0xFFFFu;
}

// Cooperative levels.
constexpr uint32_t kDisclExclusive = 0x1;
constexpr uint32_t kDisclNonExclusive = 0x2;
constexpr uint32_t kDisclForeground = 0x4;
constexpr uint32_t kDisclBackground = 0x8;

// A point-of-view hat's reading when centred; otherwise hundredths of a degree clockwise from north.
constexpr int32_t kPovCentred = -1;

// The default range of an absolute axis, until SetAxisRange changes it.
constexpr int32_t kDefaultAxisMin = 0;
constexpr int32_t kDefaultAxisMax = 65535;

// Our own identifiers for the kinds of object a device has; tag is the last byte.
constexpr Guid MakeObjectGuid(uint8_t tag)
{
    Guid guid;
    guid.bytes = {'T', 'v', 'I', 'n', 'p', 'u', 't', 'O', 'b', 'j', 'e', 'c', 't', 0, 0, tag};
    return guid;
}
constexpr Guid kGuidXAxis = MakeObjectGuid(1);
constexpr Guid kGuidYAxis = MakeObjectGuid(2);
constexpr Guid kGuidZAxis = MakeObjectGuid(3);
constexpr Guid kGuidRxAxis = MakeObjectGuid(4);
constexpr Guid kGuidRyAxis = MakeObjectGuid(5);
constexpr Guid kGuidRzAxis = MakeObjectGuid(6);
constexpr Guid kGuidSlider = MakeObjectGuid(7);
constexpr Guid kGuidButton = MakeObjectGuid(8);
constexpr Guid kGuidKey = MakeObjectGuid(9);
constexpr Guid kGuidPov = MakeObjectGuid(10);
constexpr Guid kGuidUnknown = MakeObjectGuid(11);

// One attached device as the enumeration reports it.
struct DeviceInstance
{
    Guid instanceGuid;
    Guid productGuid;
    uint32_t devType = 0; // device type in the low byte, subtype in the next
    std::string instanceName;
    std::string productName;
};

// One control of a device.
struct DeviceObjectInstance
{
    Guid typeGuid;
    uint32_t offset = 0; // in the device's own layout; unused by the engine
    uint32_t type = 0;   // type bits and instance number, see MakeObjectType
    uint32_t flags = 0;
    std::string name;
};

struct DeviceCaps
{
    uint32_t flags = 0;
    uint32_t devType = 0;
    uint32_t axes = 0;
    uint32_t buttons = 0;
    uint32_t povs = 0;
};
constexpr uint32_t kDidcAttached = 0x1;

// Where one object's value goes in the state buffer. Axes take 4 bytes (signed 32-bit), buttons and hats
// one byte (0x80 when pressed or off-centre).
struct ObjectDataFormat
{
    Guid typeGuid; // a null GUID matches any object
    uint32_t offset = 0;
    uint32_t type = 0;
    uint32_t flags = 0;
};

struct DataFormat
{
    uint32_t flags = 0;
    uint32_t dataSize = 0; // a multiple of 4
    std::vector<ObjectDataFormat> objects;
};

} // namespace platform
