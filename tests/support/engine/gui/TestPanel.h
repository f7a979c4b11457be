#pragma once

#include "engine/gui/guiGlyph.h"

#include <iosfwd>
#include <string>

class kaClassInfo;

// A concrete glyph for tests ("[TestPanel]", id 1000): its own block, a caption that may hold blanks and
// a weight, stands before the glyph block. It registers a factory as every toolkit class does.
class TestPanel : public guiGlyph
{
public:
    static const kaClassInfo& StaticClassInfo();

    TestPanel() = default;
    TestPanel(const guiCoordPair& position, const guiCoordPair& size);
    explicit TestPanel(std::istream& stream);
    explicit TestPanel(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }
    bool HitTest(const kaPoint& /*point*/, guiGlyph*& /*out*/) override { return false; }

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;

    std::string caption;
    float weight = 1.0f;
};
