#pragma once

#include "engine/gui/guiScrollable.h"

#include <cstdint>
#include <iosfwd>
#include <string>

class guiCompositeGlyph;
class guiCreateParams;

// Rich text: a mark-up string of text and image tags made into a composition of words and pictures that
// flows to the box's width and scrolls vertically inside it. Code may append further entries, as to a
// log whose end stays in view.
//
// Mark-up: text outside tags is skipped. "<text font NAME color R G B A align N>" takes everything up to
// "</text>" as its content, a backslash and n giving a line end; "<image filename "NAME" align N
// alpha 0|1 filter N>" adds a picture. Keywords are case-sensitive; a value that is not a number ends the
// reading of its tag, which is used with what was read before it.
class guiDisplayBox : public guiScrollable
{
public:
    static constexpr const char* kTextTag = "text";
    static constexpr const char* kImageTag = "image";
    static constexpr const char* kTextClose = "</text>";

    static const kaClassInfo& StaticClassInfo();

    guiDisplayBox(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiDisplayBox(std::istream& stream);
    explicit guiDisplayBox(kaBinaryStream& stream);
    ~guiDisplayBox() override;

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    void Draw() override;
    void SetOwnerWindow(guiWindow* window) override;
    void SetLayer(int32_t layer) override;
    void SetDirty(bool dirty) override;
    bool IsDirty() const override;
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;
    void CreateDeviceObjects() override;
    void ReleaseDeviceObjects() override;
    void RestoreDeviceObjects() override;
    bool PreRender(guiRenderContext& context) override;
    // Nothing inside takes the mouse; the box reports the message handled.
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override;

    int32_t GetScrollDirections() override { return kScrollsVertically; }
    // One line up or down.
    void ScrollVertical(int32_t step) override;
    void SetVerticalScroll(float fraction) override;
    float GetVerticalScroll() override;

    // Mark-up that shows the text exactly as it is, in the style of the opening text tag given (such as
    // "<text font bar10m>"): content cannot hold "</text>", and a backslash before an n would end a line, so
    // the tag is closed before the character that would complete either and opened again.
    static std::string TextMarkup(const std::string& openingTag, const std::string& text);

    // Replaces the composition's entries with the parsed mark-up, scrolled to the top.
    void SetText(const std::string& markup);
    // One more entry; with device objects, the end of the content is kept in view.
    void AppendText(const guiCreateParams& params, int32_t alignment);
    void Clear();

    const std::string& GetText() const { return m_DisplayText; }
    guiCompositeGlyph* GetComposition() const { return m_Composition; }

private:
    void _Init();
    // A new flow composition, or the one read, takes the place of the current one.
    void _SetComposition(guiCompositeGlyph* composition);
    // The composition fills the client area: the flow is its width, the view its height.
    void _Relayout();
    // Whether the client area differs from the size the composition was flowed to.
    bool _IsResized(const platform::Rect& client) const;
    // Scrolls so that the bottom of the last line is inside a view of the given height.
    void _KeepEndInView(int64_t view);
    void _Parse(const std::string& markup);

    guiCompositeGlyph* m_Composition = nullptr;
    std::string m_DisplayText;
    // An entry came while the box had no size: the end is brought into view once it has one.
    bool m_FollowEnd = false;
};
