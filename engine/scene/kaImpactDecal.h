#pragma once

#include <string>

class TiXmlElement;

// A texture put once onto a subset of a physical entity's model when its trigger primitive is touched
// hard enough.
struct kaImpactDecal
{
    // "vertBox", "texture", "threshold" and "trigger", each when present.
    void ReadXml(const TiXmlElement* element);

    std::string m_Subset;
    std::string m_Texture;
    float m_Threshold = 0.0f;
    std::string m_Trigger;
};
