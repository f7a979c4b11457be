#pragma once

#include "engine/core/kaXmlValues.h"

#include "platform/gfx/math/Quaternion.h"

class TiXmlElement;

namespace kaXmlRotation
{
// A rotation block: its "quaternion" child's w, x, y and z over the given rotation, or, without one, the
// rotation of its "pitch", "yaw" and "roll" (radians; absent ones 0). Malformed numbers go by the policy;
// the reader names the debugger line. A quaternion whose length cannot be taken in floats (components so
// large or small that their squares overflow or vanish) is brought to unit length; one of no length becomes
// the identity, with a debugger line, and the answer is false. Components below the smallest normal float
// read as 0, so that a rotation read and saved comes back to the same text.
bool Read(const TiXmlElement* element, platform::Quaternion& rotation, kaXmlValues::OnMalformed policy,
          const char* reader = "");

// The rotation at unit length, its components divided by the largest first so that none overflows when
// squared; components then below the smallest normal float are 0. False, the rotation left, when it has no
// length or a component is not finite.
bool Normalize(platform::Quaternion& rotation);
} // namespace kaXmlRotation
