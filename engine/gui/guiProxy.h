#pragma once

#include "engine/gui/guiGlyph.h"

#include <string>

// Stands in a layout for the whole of another layout file: the file's root becomes a child that is
// never saved, so a saved layout holds only the file name.
class guiProxy : public guiGlyph
{
public:
    static constexpr const char* kBrowseFilter = "*.kab";
    // Files embedded in one another deeper than this are refused.
    static constexpr int kMaxEmbedding = 16;

    static const kaClassInfo& StaticClassInfo();

    guiProxy(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiProxy(std::istream& stream);
    explicit guiProxy(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    // The proxy itself is never hit; what it embeds is.
    bool HitTest(const kaPoint& /*point*/, guiGlyph*& /*out*/) override { return false; }

    void WriteText(std::ostream& stream) const override;
    void ReadText(std::istream& stream) override;
    void WriteBinary(kaBinaryStream& stream) const override;
    void ReadBinary(kaBinaryStream& stream) override;
    void GetProperties(GuiParamTable& sheet) const override;
    // "Filename" loads the file again even when the name is the same.
    void SetProperties(const GuiParamTable& sheet) override;

    // Drops every child and embeds the file's root. A file that cannot be loaded, that is already being
    // embedded further up, or that stands too deep embeds nothing.
    void SetFilename(const std::string& name);
    const std::string& GetFilename() const { return m_Filename; }

private:
    std::string m_Filename;
};
