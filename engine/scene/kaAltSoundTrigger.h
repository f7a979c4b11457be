#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TiXmlElement;

// A trigger primitive whose touch switches other primitives' materials to their alternate impact sound,
// for as long as it is touched and a few steps after.
struct kaAltSoundTrigger
{
    // Steps the alternate sound outlasts the last touch.
    static constexpr int32_t kStepsAfterTouch = 10;

    // "trigger" and every "prim".
    void ReadXml(const TiXmlElement* element);

    std::string m_Trigger;
    std::vector<std::string> m_Primitives;
    int32_t m_Countdown = 0;
};
