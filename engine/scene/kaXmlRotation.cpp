#include "engine/scene/kaXmlRotation.h"

#include <tinyxml.h>

namespace kaXmlRotation
{

void Read(const TiXmlElement* element, platform::Quaternion& rotation, kaXmlValues::OnMalformed policy,
          const char* reader)
{
    using kaXmlValues::ReadFloat;
    if (const TiXmlElement* quaternion = element->FirstChildElement("quaternion"))
    {
        ReadFloat(quaternion, "w", rotation.w, policy, reader);
        ReadFloat(quaternion, "x", rotation.x, policy, reader);
        ReadFloat(quaternion, "y", rotation.y, policy, reader);
        ReadFloat(quaternion, "z", rotation.z, policy, reader);
        return;
    }
    float pitch = 0.0f;
    float yaw = 0.0f;
    float roll = 0.0f;
    ReadFloat(element, "pitch", pitch, policy, reader);
    ReadFloat(element, "yaw", yaw, policy, reader);
    ReadFloat(element, "roll", roll, policy, reader);
    platform::QuaternionRotationYawPitchRoll(&rotation, yaw, pitch, roll);
}

} // namespace kaXmlRotation
