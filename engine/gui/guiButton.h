#pragma once

#include "engine/gui/guiWidget.h"

#include <boost/function.hpp>

#include <cstdint>
#include <iosfwd>
#include <string>

class guiImage;
class guiImageParams;

// A push button: four child images, one per state, of which one shows at a time. Runs its click, press
// and release callbacks, plays the click sound on a press, repeats its click while held, and can take
// the mouse only where its current image is opaque.
class guiButton : public guiWidget
{
public:
    using Callback = boost::function<bool(int)>;

    enum State : int32_t
    {
        kNormal = 0,
        kRollover = 1,
        kClicked = 2,
        kDisabled = 3,
    };

    static constexpr float kOnClickVersion = 1.03f;
    static constexpr float kAlphaHitVersion = 1.1f;
    static constexpr const char* kClickSound = "Sounds\\button_click.wav";
    // Repeats one frame runs at most; a longer backlog is dropped.
    static constexpr int32_t kMostRepeatsAFrame = 64;

    static const kaClassInfo& StaticClassInfo();

    // Four plain images covering the whole button.
    guiButton(const guiCoordPair& position, const guiCoordPair& size);
    // The normal image alone, built from the parameters; the button takes its pixel size.
    guiButton(const std::string& name, const guiCoordPair& position, const guiImageParams& params);
    explicit guiButton(std::istream& stream);
    explicit guiButton(kaBinaryStream& stream);
    ~guiButton() override;

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    bool HitTest(const kaPoint& point, guiGlyph*& out) override;
    int RemoveChild(guiGlyph* child) override;
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;
    bool PreRender(guiRenderContext& context) override;
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override;
    bool OnMouseUp(int32_t button, const gui::MouseData& data) override;
    void OnMouseEnter() override;
    void OnMouseLeave() override;
    virtual void SetClickSound(bool on) { m_ClickSound = on; }

    void SetOnClick(const Callback& callback) { m_OnClick = callback; }
    const Callback& GetOnClick() const { return m_OnClick; }
    void SetOnPress(const Callback& callback) { m_OnPress = callback; }
    void SetOnRelease(const Callback& callback) { m_OnRelease = callback; }
    void SetEnabled(bool enabled);
    // A state without image falls back to clicked while pressed, else to normal.
    void SetState(int32_t state);
    // States outside 0-3 are ignored; the new image keeps the old one's visibility.
    void SetStateImage(int32_t state, const guiImageParams& params);

    int32_t GetState() const { return m_State; }
    guiImage* GetStateImage(int32_t state) const;
    bool IsPressed() const { return m_Pressed; }
    bool IsHover() const { return m_Hover; }
    bool HasClickSound() const { return m_ClickSound; }
    float GetRepeatRate() const { return m_RepeatRate; }
    void SetRepeatRate(float rate) { m_RepeatRate = rate; }
    float GetRepeatDelay() const { return m_RepeatDelay; }
    void SetRepeatDelay(float delay) { m_RepeatDelay = delay; }
    bool FiresOnPress() const { return m_FireOnPress; }
    void SetFireOnPress(bool onPress) { m_FireOnPress = onPress; }
    bool IsAlphaHitTesting() const { return m_AlphaHitTesting; }
    void SetAlphaHitTesting(bool alpha) { m_AlphaHitTesting = alpha; }

protected:
    // No images and no block read: for classes that read their own block first.
    guiButton() = default;

    static void _Run(const Callback& callback, int argument);
    void _PlayClick() const;

    Callback m_OnRelease;
    Callback m_OnPress;
    Callback m_OnClick;
    bool m_Pressed = false;
    bool m_Hover = false;
    bool m_ClickSound = true;
    float m_RepeatRate = 0.0f;
    float m_RepeatTimer = 0.0f;
    float m_RepeatDelay = 0.4f;
    bool m_Repeating = false;
    bool m_FireOnPress = false;
    bool m_AlphaHitTesting = false;
    guiImage* m_Images[4] = {nullptr, nullptr, nullptr, nullptr};
    int32_t m_State = -1;

private:
    // Each state's image becomes the child at the index read, when that child is an image.
    void _AttachImages(const int32_t (&indices)[4]);
    int32_t _IndexOf(int32_t state) const;
};
