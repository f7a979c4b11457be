#pragma once

#include "engine/core/kaXmlValues.h"

#include "platform/gfx/math/Quaternion.h"

class TiXmlElement;

namespace kaXmlRotation
{
// A rotation block: its "quaternion" child's w, x, y and z over the given rotation, or, without one, the
// rotation of its "pitch", "yaw" and "roll" (radians; absent ones 0). Malformed numbers go by the policy;
// the reader names the debugger line.
void Read(const TiXmlElement* element, platform::Quaternion& rotation, kaXmlValues::OnMalformed policy,
          const char* reader = "");
} // namespace kaXmlRotation
