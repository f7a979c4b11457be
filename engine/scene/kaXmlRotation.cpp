#include "engine/scene/kaXmlRotation.h"

#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <string>

namespace kaXmlRotation
{

namespace
{

// Squares that overflow to infinity, or fall below the normal floats, lose the length.
bool HasUsableLength(const platform::Quaternion& rotation)
{
    const float squares =
        rotation.x * rotation.x + rotation.y * rotation.y + rotation.z * rotation.z + rotation.w * rotation.w;
    return std::isfinite(squares) && squares >= FLT_MIN;
}

// A component below the smallest normal float does not come back from its text as the number it was: such
// a rotation would save to other bytes each time. Beside a unit length it is nothing: it goes to 0.
void FlushTinyComponents(platform::Quaternion& rotation)
{
    for (float* component : {&rotation.x, &rotation.y, &rotation.z, &rotation.w})
        if (*component != 0.0f && std::fabs(*component) < FLT_MIN)
            *component = 0.0f;
}

bool ReadQuaternion(const TiXmlElement* quaternion, platform::Quaternion& rotation,
                    kaXmlValues::OnMalformed policy, const char* reader)
{
    using kaXmlValues::ReadFloat;
    ReadFloat(quaternion, "w", rotation.w, policy, reader);
    ReadFloat(quaternion, "x", rotation.x, policy, reader);
    ReadFloat(quaternion, "y", rotation.y, policy, reader);
    ReadFloat(quaternion, "z", rotation.z, policy, reader);
    // A rotation whose length floats can take is kept as written: stored files rely on it.
    if (HasUsableLength(rotation))
    {
        FlushTinyComponents(rotation);
        return true;
    }
    if (Normalize(rotation))
        return true;
    platform::OutputDebugString(std::string(reader) + " - rotation of no length, identity used.\n");
    rotation = platform::Quaternion(0.0f, 0.0f, 0.0f, 1.0f);
    return false;
}

} // namespace

bool Read(const TiXmlElement* element, platform::Quaternion& rotation, kaXmlValues::OnMalformed policy,
          const char* reader)
{
    using kaXmlValues::ReadFloat;
    if (const TiXmlElement* quaternion = element->FirstChildElement("quaternion"))
        return ReadQuaternion(quaternion, rotation, policy, reader);
    float pitch = 0.0f;
    float yaw = 0.0f;
    float roll = 0.0f;
    ReadFloat(element, "pitch", pitch, policy, reader);
    ReadFloat(element, "yaw", yaw, policy, reader);
    ReadFloat(element, "roll", roll, policy, reader);
    platform::QuaternionRotationYawPitchRoll(&rotation, yaw, pitch, roll);
    FlushTinyComponents(rotation);
    return true;
}

bool Normalize(platform::Quaternion& rotation)
{
    if (!std::isfinite(rotation.x) || !std::isfinite(rotation.y) || !std::isfinite(rotation.z) ||
        !std::isfinite(rotation.w))
        return false;
    const float largest = std::max(std::max(std::fabs(rotation.x), std::fabs(rotation.y)),
                                   std::max(std::fabs(rotation.z), std::fabs(rotation.w)));
    if (largest == 0.0f)
        return false;
    const platform::Quaternion scaled(rotation.x / largest, rotation.y / largest, rotation.z / largest,
                                      rotation.w / largest);
    // The largest component is now 1: the squares sum to between 1 and 4.
    const float length =
        std::sqrt(scaled.x * scaled.x + scaled.y * scaled.y + scaled.z * scaled.z + scaled.w * scaled.w);
    rotation =
        platform::Quaternion(scaled.x / length, scaled.y / length, scaled.z / length, scaled.w / length);
    // What the scaling left below the normal floats changes the length by less than a float can show.
    FlushTinyComponents(rotation);
    return true;
}

} // namespace kaXmlRotation
