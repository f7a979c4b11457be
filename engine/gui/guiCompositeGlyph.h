#pragma once

#include "engine/core/kaPoint.h"
#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiMarginProfile.h"

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <vector>

class guiCompositor;
class guiCreateParams;

// Texts and images made from creation parameters, cut into pieces (words, blanks, line ends, whole
// images) that flow into lines of a given width. The pieces are its children, drawn and clipped with it
// but never saved; its own position is the scroll offset of the view it fills. It answers as "[Glyph]".
class guiCompositeGlyph : public guiGlyph
{
public:
    struct Entry
    {
        guiCreateParams* params = nullptr;
        int32_t alignment = 0;
        // Answers the piece questions; never drawn.
        guiGlyph* whole = nullptr;
        // One per piece, null for blanks.
        std::vector<guiGlyph*> pieces;
    };

    static constexpr int32_t kAlignCentre = 2;

    // Takes the compositor, which may be null.
    explicit guiCompositeGlyph(guiCompositor* compositor);
    explicit guiCompositeGlyph(std::istream& stream);
    explicit guiCompositeGlyph(kaBinaryStream& stream);
    ~guiCompositeGlyph() override;

    bool HitTest(const kaPoint& point, guiGlyph*& out) override;
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    bool PreRender(guiRenderContext& context) override;

    // Copies the parameters into a new entry. Only images and texts make pieces; other kinds, and
    // parameters that build nothing, are dropped.
    void AddEntry(const guiCreateParams& params, int32_t alignment);
    void Clear();
    // Clears the margins; the owner calls it before sizing.
    void Prepare();
    void SetFlowSize(int32_t lineStartX, int32_t width, int32_t height);
    // Lays the pieces out now (only with a compositor and device objects).
    void Layout();

    float GetScrollFraction() const;
    void SetScrollFraction(float fraction);
    // -1 brings the line above the view to its top, +1 the line below; the new fraction (0 for any other
    // step).
    float ScrollStep(int32_t step);

    const std::deque<Entry>& GetEntries() const { return m_Entries; }
    guiCompositor* GetCompositor() const { return m_Compositor; }
    int32_t GetEntryLimit() const { return m_EntryLimit; }
    void SetEntryLimit(int32_t limit);
    const std::vector<guiMarginProfile::Band>& GetMargins() const { return m_Margins; }
    void SetMargins(const std::vector<guiMarginProfile::Band>& margins) { m_Margins = margins; }
    int32_t GetFlowWidth() const { return m_FlowWidth; }
    const kaPoint& GetContentExtent() const { return m_Extent; }
    int32_t GetContentHeight() const { return m_Extent.y; }
    // Where the last line ends: the content height, plus the last line's height when it holds pieces.
    int32_t GetContentBottom() const { return m_Extent.y + m_LastLineHeight; }

private:
    void _DropFront();
    void _DropEntry(Entry& entry);
    void _TrimToLimit();
    void _ReadEntry(int32_t kind, int32_t alignment, guiCreateParams* params);

    guiCompositor* m_Compositor = nullptr;
    std::deque<Entry> m_Entries;
    int32_t m_EntryLimit = 0;
    std::vector<guiMarginProfile::Band> m_Margins;
    int32_t m_LineStartX = 0;
    int32_t m_FlowWidth = 0;
    kaPoint m_Extent;
    int32_t m_LastLineHeight = 0;
    // The line starts just above the view and just below its top; whether a line below was found.
    kaPoint m_MarkAbove;
    kaPoint m_MarkBelow;
    bool m_HasLineBelow = false;
};
