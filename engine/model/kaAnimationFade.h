#pragma once

class TiXmlElement;
class kaAnimation;

// One animation playing on a channel: its weight fades linearly from the start to the final value over
// the fade time; the start times are application seconds.
class kaAnimationFade
{
public:
    explicit kaAnimationFade(kaAnimation* animation = nullptr);
    virtual ~kaAnimationFade();

    // Reads the values WriteState writes; a missing or malformed value is left as it was. The start
    // times are set back from now by the elapsed times read.
    virtual void ReadState(const TiXmlElement* element, double now);
    virtual void WriteState(TiXmlElement* element, double now) const;

    kaAnimation* m_pAnimation;
    float m_FadeStart = 0.0f;
    float m_FadeFinal = 0.0f;
    float m_Current = 0.0f;
    // 0 jumps to the final weight.
    float m_FadeTime = 0.0f;
    float m_FadeStartTime = 0.0f;
    float m_AnimStartTime = 0.0f;
    bool m_Looping = false;
};
