#pragma once

#include "engine/gui/guiButton.h"
#include "engine/gui/guiWidget.h"

#include <iosfwd>
#include <string>
#include <vector>

class guiCheckBox;

// Makes the check boxes placed in it mutually exclusive: after any click exactly one is checked. The
// selection is saved by the member's name; a change is reported as the group's own event.
class guiOptionGroup : public guiWidget
{
public:
    static const kaClassInfo& StaticClassInfo();

    guiOptionGroup(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiOptionGroup(std::istream& stream);
    explicit guiOptionGroup(kaBinaryStream& stream);
    // Members that outlive the group get their own click handlers back.
    ~guiOptionGroup() override;

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // A check box becomes a member: checked when it is the first, its click handler the group's. Removing
    // it gives it back the handler it had.
    void AddChild(guiGlyph* child, guiWindow* window = nullptr) override;
    int RemoveChild(guiGlyph* child) override;
    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    void SetProperties(const GuiParamTable& sheet) override;

    // The first checked member's name, or empty.
    std::string GetSelection() const;
    void Select(guiCheckBox* member, bool notify);
    // Disabled members and unknown names change nothing.
    void SelectByName(const std::string& name, bool notify);
    const std::vector<guiCheckBox*>& GetMembers() const { return m_Members; }

private:
    void _ReleaseMember(guiCheckBox* member);

    std::vector<guiCheckBox*> m_Members;
    // Each member's own click handler, in member order.
    std::vector<guiButton::Callback> m_OwnClicks;
};
