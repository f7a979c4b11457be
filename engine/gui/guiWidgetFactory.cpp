#include "engine/gui/guiWidgetFactory.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/guiGlyph.h"

#include "platform/system/DebugOutput.h"

#include <exception>
#include <istream>

guiWidgetFactory::guiWidgetFactory(const std::string& name, uint32_t id) : m_Name(name), m_Id(id)
{
    GetWidgetFactoriesById().emplace(id, this);
    GetWidgetFactoriesByName().emplace(name, this);
}

guiWidgetFactory::~guiWidgetFactory()
{
    auto& byId = GetWidgetFactoriesById();
    const auto id = byId.find(m_Id);
    if (id != byId.end() && id->second == this)
        byId.erase(id);
    auto& byName = GetWidgetFactoriesByName();
    const auto name = byName.find(m_Name);
    if (name != byName.end() && name->second == this)
        byName.erase(name);
}

std::map<uint32_t, guiWidgetFactory*>& GetWidgetFactoriesById()
{
    static std::map<uint32_t, guiWidgetFactory*> factories;
    return factories;
}

std::map<std::string, guiWidgetFactory*>& GetWidgetFactoriesByName()
{
    static std::map<std::string, guiWidgetFactory*> factories;
    return factories;
}

guiGlyph* CreateWidgetFromBinary(kaBinaryStream& stream)
{
    try
    {
        uint32_t id = 0;
        stream.ReadUInt32(id);
        if (stream.Failed())
            return nullptr;
        const auto& factories = GetWidgetFactoriesById();
        const auto found = factories.find(id);
        if (found == factories.end())
            return nullptr;
        return found->second->CreateFromBinary(stream);
    }
    catch (const std::exception& error)
    {
        platform::OutputDebugString(std::string("[CreateWidgetFromBinary] : ") + error.what() + "\n");
        return nullptr;
    }
}

guiGlyph* CreateWidgetFromText(std::istream& stream)
{
    try
    {
        std::string name;
        if (!(stream >> name))
            return nullptr;
        const auto& factories = GetWidgetFactoriesByName();
        const auto found = factories.find(name);
        if (found == factories.end())
            return nullptr;
        return found->second->CreateFromText(stream);
    }
    catch (const std::exception& error)
    {
        platform::OutputDebugString(std::string("[CreateWidgetFromText] : ") + error.what() + "\n");
        return nullptr;
    }
}
