#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>

class guiCoordPair;
class guiGlyph;
class kaBinaryStream;
class kaClassInfo;

// Makes instances of one GUI class. Each concrete class has one static factory, which registers itself
// by class id and by bracketed class name while the program is constructed; the first registration of
// a key stays.
class guiWidgetFactory
{
public:
    guiWidgetFactory(const std::string& name, uint32_t id);
    // Withdraws the registrations that are this factory's.
    virtual ~guiWidgetFactory();
    guiWidgetFactory(const guiWidgetFactory&) = delete;
    guiWidgetFactory& operator=(const guiWidgetFactory&) = delete;

    virtual const kaClassInfo& GetClassInfo() const = 0;
    // Each returns null when the object cannot be allocated.
    virtual guiGlyph* Create(const guiCoordPair& position, const guiCoordPair& size) const = 0;
    virtual guiGlyph* CreateFromBinary(kaBinaryStream& stream) const = 0;
    virtual guiGlyph* CreateFromText(std::istream& stream) const = 0;

private:
    std::string m_Name;
    uint32_t m_Id;
};

// Made on first use, so that registrations during static construction find them.
std::map<uint32_t, guiWidgetFactory*>& GetWidgetFactoriesById();
std::map<std::string, guiWidgetFactory*>& GetWidgetFactoriesByName();

// Reads a 4-byte class id and the block of that class. Null for an id without a factory (only the id is
// consumed) and when reading throws.
guiGlyph* CreateWidgetFromBinary(kaBinaryStream& stream);
// Reads one blank-delimited bracketed class name and the block of that class. Null for an unknown name
// (only the word is consumed) and when reading throws.
guiGlyph* CreateWidgetFromText(std::istream& stream);
