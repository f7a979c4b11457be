#pragma once

#include "tests/support/engine/gui/TestPanel.h"

// A test class derived from another ("[TestLabel]", parent "[TestPanel]"): a text with line ends and an
// optional slot before the panel's block. Its id, 1034, starts with a line-end byte, as the window's
// id 10 does, so a binary layout whose root it is tests the separator rule.
class TestLabel : public TestPanel
{
public:
    static const kaClassInfo& StaticClassInfo();

    TestLabel() = default;
    TestLabel(const guiCoordPair& position, const guiCoordPair& size) : TestPanel(position, size) {}
    explicit TestLabel(std::istream& stream);
    explicit TestLabel(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;

    std::string text;
    int32_t slot = -1;
};
