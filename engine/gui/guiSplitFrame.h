#pragma once

#include "engine/gui/guiCoord.h"
#include "engine/gui/guiFrame.h"

#include <cstdint>
#include <iosfwd>

class guiGroup;

// Two slots side by side or one above the other. The master slot has a fixed or proportional extent;
// the other takes the rest. Each slot is a group that holds the slot's contents.
class guiSplitFrame : public guiFrame
{
public:
    static constexpr int32_t kSlotCount = 2;

    static const kaClassInfo& StaticClassInfo();

    // Makes both slots, empty, as groups named "Slot0" and "Slot1".
    guiSplitFrame(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiSplitFrame(std::istream& stream);
    explicit guiSplitFrame(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // False for a slot index other than 0 or 1 and for a slot the frame lacks. A glyph the slot already
    // holds stays; everything else in the slot goes.
    bool SetSlotContent(int32_t slot, guiGlyph* content) override;
    void Layout() override;
    // The slot's group, or null.
    virtual guiGroup* GetSlot(int32_t slot) const;

    // A slot removed from the frame is a slot no more.
    int RemoveChild(guiGlyph* child) override;
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    // Applied values take effect at the next render.
    void SetProperties(const GuiParamTable& sheet) override;

    bool IsHorizontal() const { return m_Horizontal; }
    void SetHorizontal(bool horizontal) { m_Horizontal = horizontal; }
    int32_t GetMaster() const { return m_Master; }
    void SetMaster(int32_t master) { m_Master = master; }
    const guiCoord& GetMasterSize() const { return m_MasterSize; }
    void SetMasterSize(const guiCoord& size) { m_MasterSize = size; }

private:
    // Each slot becomes the child at the index read, when that child is a group and not the other slot.
    void _AttachSlots(const int32_t (&indices)[kSlotCount]);
    int32_t _IndexOf(int32_t slot) const;

    guiGroup* m_Slots[kSlotCount] = {nullptr, nullptr};
    bool m_Horizontal = true;
    int32_t m_Master = 0;
    guiCoord m_MasterSize = guiCoord::Relative(0.5f);
};
