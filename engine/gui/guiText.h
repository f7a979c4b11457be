#pragma once

#include "engine/core/kaColor.h"
#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiScreenBuffers.h"
#include "engine/render/kaRenderState.h"

#include <cstdint>
#include <string>
#include <vector>

class guiTextParams;
class kaTexture;

// One string in one interface font and colour: a quad per character from the font's page, broken at
// line ends and, with word wrap, at the last blank before the clip edge; cut at the clip rectangle.
class guiText : public guiGlyph
{
public:
    static constexpr int32_t kDefaultMaxChars = 32;
    // 16-bit indices address at most this many quads.
    static constexpr int32_t kMaxCharsLimit = 16384;

    struct CharRecord
    {
        float left = 0, top = 0, width = 0, height = 0;
        float tex[4] = {0, 0, 0, 0};
        bool blank = false;
        bool lineEnd = false;
    };

    static const kaClassInfo& StaticClassInfo();

    explicit guiText(const guiTextParams& params);
    guiText(const std::string& font, const std::string& text, const guiCoordPair& position);
    // An empty text in "System"; built by the editor's factory.
    guiText(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiText(std::istream& stream);
    explicit guiText(kaBinaryStream& stream);
    ~guiText() override;

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    void Draw() override;
    bool HitTest(const kaPoint& point, guiGlyph*& out) override;
    const guiCoordPair& GetSize() const override;
    void SetPosition(const guiCoordPair& position) override;
    void ComputeClientRect(platform::Rect& rect) const override;

    int GetPieceCount() const override;
    void GetPieceExtent(platform::Rect& rect, int index) const override;
    bool IsPieceSpace(int index) const override;
    bool IsPieceNewline(int index) const override;
    guiCreateParams* CreatePiece(int first, int last) const override;

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;

    void CreateDeviceObjects() override { RestoreDeviceObjects(); }
    void ReleaseDeviceObjects() override;
    void RestoreDeviceObjects() override;
    bool PreRender(guiRenderContext& context) override;

    // A text longer than max chars doubles its length into max chars.
    void SetText(const std::string& text);
    void SetFont(const std::string& name);
    void SetMaxChars(int32_t count);
    void SetColor(const kaColor& color);
    void SetWordWrap(bool wrap);

    // One line of the string in this font, in the frame its glyphs are laid out in: left 0, top 0 at the
    // line's top, bottom the line height.
    platform::Rect MeasureText(const std::string& text) const;
    int32_t GetCharAdvance(char character) const;
    kaTexture* GetFont() const;
    // The piece's characters, or empty past the last piece.
    std::string GetPiece(int index) const;

    const std::string& GetText() const { return m_Text; }
    const std::string& GetFontName() const { return m_FontName; }
    const kaColor& GetColor() const { return m_Color; }
    int32_t GetMaxChars() const { return m_MaxChars; }
    int32_t GetQuadCount() const { return m_QuadCount; }
    bool IsWordWrap() const { return m_WordWrap; }
    const guiCoordPair& GetExtent() const { return m_Extent; }
    int32_t GetFirstVisible() const { return m_FirstVisible; }
    int32_t GetLastVisible() const { return m_LastVisible; }
    const std::vector<CharRecord>& GetCharRecords() const { return m_Chars; }

private:
    void _Init();
    void _Layout();
    // What the stored forms hold of a text.
    guiTextParams _GetParams() const;
    void _ApplyParams(const guiTextParams& params);
    // Cut again only when the text changed: compositions ask for every piece in turn.
    const std::vector<std::string>& _Pieces() const;

    std::string m_FontName = "System";
    std::string m_Text;
    std::vector<CharRecord> m_Chars;
    int32_t m_MaxChars = kDefaultMaxChars;
    int32_t m_QuadCount = 0;
    guiScreenBuffers m_Buffers;
    kaColor m_Color;
    bool m_WordWrap = false;
    kaRenderState m_RenderState;
    guiCoordPair m_Extent;
    int32_t m_FirstVisible = -1;
    int32_t m_LastVisible = 0;
    mutable std::vector<std::string> m_Pieces;
    mutable std::string m_PiecesOf;
    mutable bool m_PiecesCut = false;
    // The drawn quads' corners, for hit tests.
    std::vector<platform::Rect> m_Drawn;
};
