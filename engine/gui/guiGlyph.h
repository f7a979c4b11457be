#pragma once

#include "engine/core/IRefCountable.h"
#include "engine/core/kaPoint.h"
#include "engine/gui/guiCoordPair.h"

#include "platform/window/Rect.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class GuiParamTable;
class guiCreateParams;
class guiWindow;
class kaBinaryStream;
class kaClassInfo;
struct guiRenderContext;

// The root of every GUI object: a place on the screen relative to its parent, children held by
// reference, a part in the per-frame tree walk and a block in layout files. Classes are told apart by
// their class records, never by language type information.
class guiGlyph : public IRefCountable
{
public:
    // Files older than this have no "ID" line.
    static constexpr float kIdVersion = 1.04f;
    // Levels of nesting a layout may hold, the root being the first; deeper children are skipped.
    static constexpr int kMaxLayoutNesting = 64;

    enum ClipMode : int32_t
    {
        kClipNone = 0,
        kClipToParent = 1,
        kClipToSelf = 2,
    };

    static const kaClassInfo& StaticClassInfo();

    guiGlyph();
    // Removes every child, releasing the tree's references.
    ~guiGlyph() override;
    guiGlyph(const guiGlyph&) = delete;
    guiGlyph& operator=(const guiGlyph&) = delete;

    virtual void Draw() {}

    virtual const std::string& GetClassName() const;
    virtual uint32_t GetClassId() const;
    virtual const kaClassInfo& GetClassInfo() const;
    // True, with this glyph in out, when its record is the record or derives from it.
    virtual bool QueryClass(const kaClassInfo& record, guiGlyph*& out);
    // The glyph QueryClass answers for the record (a decorator may answer with the glyph it wraps), else
    // null.
    guiGlyph* DynamicCast(const kaClassInfo& record);
    template <typename T> T* DynamicCast() { return static_cast<T*>(DynamicCast(T::StaticClassInfo())); }

    // True, with the glyph hit in out, when the point hits.
    virtual bool HitTest(const kaPoint& point, guiGlyph*& out) = 0;

    // Takes a reference; the child joins the window given, or this glyph's window when none is.
    virtual void AddChild(guiGlyph* child, guiWindow* window = nullptr);
    // -1 for a glyph that is not a child; otherwise the child's remaining reference count.
    virtual int RemoveChild(guiGlyph* child);
    void RemoveAllChildren();
    guiGlyph* GetChild(int index) const;
    int IndexOfChild(const guiGlyph* child) const;
    int GetChildCount() const { return static_cast<int>(m_Children.size()); }
    guiGlyph* GetParent() const { return m_Parent; }

    virtual void SetTag(guiGlyph* reference) { m_Reference = reference; }
    guiGlyph* GetTag() const { return m_Reference; }
    // This glyph or the first in the subtree (depth first, child order) of that name, case ignored.
    virtual guiGlyph* FindChild(const std::string& name);
    virtual guiGlyph* FindChildById(int32_t id);

    // The window whose tree holds the glyph. A window is its own.
    virtual void SetOwnerWindow(guiWindow* window);
    guiWindow* GetOwnerWindow() const { return m_OwnerWindow; }

    virtual const guiCoordPair& GetPosition() const { return m_Position; }
    virtual void SetPosition(const guiCoordPair& position);
    virtual const guiCoordPair& GetSize() const { return m_Size; }
    virtual void SetSize(const guiCoordPair& size);
    virtual void SetRelativeWidth(float width);
    virtual void SetPixelWidth(int32_t width);
    virtual void SetRelativeHeight(float height);
    virtual void SetPixelHeight(int32_t height);
    virtual void ComputeClientRect(platform::Rect& rect) const;
    // Acts on a change only. Showing a hidden glyph shows its parent the same way, so the climb stops at
    // the first ancestor already shown; hiding hides the glyph alone.
    virtual void SetVisible(bool visible);
    bool IsVisible() const { return m_Visible; }
    virtual void SetLayer(int32_t layer);
    int32_t GetLayer() const { return m_Layer; }
    virtual void SetDirty(bool dirty);
    virtual bool IsDirty() const { return m_Dirty; }

    // Pieces for text layout: a plain glyph is one piece of its own size.
    virtual int GetPieceCount() const { return 1; }
    virtual void GetPieceExtent(platform::Rect& rect, int index) const;
    virtual bool IsPieceSpace(int /*index*/) const { return false; }
    virtual bool IsPieceNewline(int /*index*/) const { return false; }
    virtual guiCreateParams* CreatePiece(int /*first*/, int /*last*/) const { return nullptr; }

    // The glyph block; each class writes its own fields and then calls its parent's version.
    virtual void WriteText(std::ostream& stream) const;
    virtual void ReadText(std::istream& stream);
    virtual void WriteBinary(kaBinaryStream& stream) const;
    virtual void ReadBinary(kaBinaryStream& stream);

    virtual void GetProperties(GuiParamTable& sheet) const;
    // Applies the entries present whose text parses; "Name" is not applied.
    virtual void SetProperties(const GuiParamTable& sheet);

    virtual void CreateDeviceObjects() {}
    virtual void ReleaseDeviceObjects() {}
    virtual void RestoreDeviceObjects() {}
    void CreateDeviceObjectsAll();
    void ReleaseDeviceObjectsAll();
    void RestoreDeviceObjectsAll();
    bool AreDeviceObjectsMade() const { return m_DeviceObjectsMade; }

    // Pushes the origin and the clip for the subtree.
    virtual void Render(guiRenderContext& context);
    virtual bool PreRender(guiRenderContext& context);
    // Pops what Render pushed and clears the dirty flag.
    virtual void PostRender(guiRenderContext& context);

    // The pixels of a position or size against this glyph's reference lengths.
    kaPoint ToPixels(const guiCoordPair& pair) const;
    // The width and height that relative values of this glyph's coordinates are fractions of.
    void GetReferenceSize(float& width, float& height) const;
    // Cached by SetPosition, SetSize and every tree walk.
    const kaPoint& GetPixelPosition() const { return m_PixelPosition; }
    const kaPoint& GetPixelSize() const { return m_PixelSize; }
    // The origin the glyph was last drawn under.
    const kaPoint& GetDrawingOrigin() const { return m_DrawingOrigin; }

    const std::string& GetName() const { return m_Name; }
    void SetName(const std::string& name) { m_Name = name; }
    int32_t GetId() const { return m_Id; }
    void SetId(int32_t id) { m_Id = id; }
    int32_t GetChildOrder() const { return m_ChildOrder; }
    void SetChildOrder(int32_t order) { m_ChildOrder = order; }
    int32_t GetClipMode() const { return m_ClipMode; }
    void SetClipMode(int32_t mode) { m_ClipMode = mode; }
    bool MovesOrigin() const { return m_MovesOrigin; }
    void SetMovesOrigin(bool moves) { m_MovesOrigin = moves; }
    bool IsInHitList() const { return m_HitListFlag; }
    void SetInHitList(bool inList) { m_HitListFlag = inList; }
    bool IsExcludedFromHitList() const { return m_HitListExcluded; }
    void SetExcludedFromHitList(bool excluded) { m_HitListExcluded = excluded; }
    bool IsSaveable() const { return m_Saveable; }
    void SetSaveable(bool saveable) { m_Saveable = saveable; }

protected:
    void _UpdatePixelCache();
    // For glyphs that hold another outside their child list.
    static void _SetParentOf(guiGlyph& glyph, guiGlyph* parent) { glyph.m_Parent = parent; }
    // Shows or hides the glyph alone, for parts a glyph switches itself; SetVisible would show the
    // ancestors too.
    static void _SetVisibleAlone(guiGlyph& glyph, bool visible) { glyph.m_Visible = visible; }
    // One child entry read within the same nesting bound as the child list; null past the bound.
    guiGlyph* _ReadNestedText(std::istream& stream);
    guiGlyph* _ReadNestedBinary(kaBinaryStream& stream);

    kaPoint m_DrawingOrigin;
    bool m_Dirty = true;
    guiWindow* m_OwnerWindow = nullptr;
    bool m_MovesOrigin = true;
    std::string m_Name;
    int32_t m_Id = -1;
    bool m_DeviceObjectsMade = false;
    guiCoordPair m_Position;
    guiCoordPair m_Size;
    kaPoint m_PixelPosition;
    kaPoint m_PixelSize;
    int32_t m_Layer = 0;
    int32_t m_ChildOrder = -1;
    guiGlyph* m_Parent = nullptr;
    guiGlyph* m_Reference = nullptr;
    bool m_Visible = true;
    bool m_HitListFlag = true;
    bool m_HitListExcluded = false;
    int32_t m_ClipMode = kClipNone;
    std::vector<guiGlyph*> m_Children;
    bool m_Saveable = true;

private:
    friend void DrawTree(guiGlyph* glyph, guiRenderContext& context);

    // Creates the children a block announces and hands each to take, within the nesting bound, until a
    // read fails.
    template <typename Create, typename Failed, typename Take>
    void _ReadChildren(int32_t count, Create create, Failed failed, Take take);
    void _GetReferenceSize(float& width, float& height, int depth) const;
};

// One frame's walk of a tree: skips hidden subtrees, fills the owner window's hit list and keeps the
// origin and clip stacks balanced.
void DrawTree(guiGlyph* glyph, guiRenderContext& context);
