#pragma once

#include <cstdint>
#include <string>

class guiGlyph;

// Something that happens to a glyph some time after it was started. The GUI manager advances each
// effect every frame and drops it once it reports itself finished.
class guiEffect
{
public:
    enum Flags : uint32_t
    {
        kDelayedVisibility = 0x1,
        kColorFade = 0x80,
        kDelayedHide = 0x100,
        kDelayedShow = 0x200,
    };

    explicit guiEffect(guiGlyph* target) : m_Target(target) {}
    virtual ~guiEffect() = default;
    guiEffect(const guiEffect&) = delete;
    guiEffect& operator=(const guiEffect&) = delete;

    virtual void Update(float dt) { m_Elapsed += dt; }
    virtual bool IsFinished() const = 0;
    virtual const std::string& GetName() const { return m_Name; }
    virtual void SetName(const std::string& name) { m_Name = name; }

    uint32_t GetFlags() const { return m_Flags; }
    float GetElapsed() const { return m_Elapsed; }
    guiGlyph* GetTarget() const { return m_Target; }

protected:
    uint32_t m_Flags = 0;
    std::string m_Name;
    float m_Elapsed = 0.0f;
    guiGlyph* m_Target;
};
