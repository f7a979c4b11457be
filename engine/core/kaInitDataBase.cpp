#include "engine/core/kaInitDataBase.h"

#include "engine/core/kaDirectoryIterator.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <tinyxml.h>

kaInitDataBase* g_pInitDataBase = nullptr;

namespace
{

const char* const kDefaultDataType = "Entity";

} // namespace

kaInitDataBase::kaInitDataBase()
{
    g_pInitDataBase = this;
}

kaInitDataBase::~kaInitDataBase()
{
    Clear();
    if (g_pInitDataBase == this)
        g_pInitDataBase = nullptr;
}

bool kaInitDataBase::LoadInitData(const std::string& folder)
{
    const std::string pattern = folder.empty() ? "*.xml" : folder + "\\*.xml";
    const std::string prefix = folder.empty() ? "" : folder + "\\";
    const kaDirectoryIterator end;
    for (kaDirectoryIterator it(pattern, kaDirectoryIterator::kEveryEntry); it != end;)
        _LoadFile(prefix + it.ReadNext());
    return true;
}

void kaInitDataBase::_LoadFile(const std::string& path)
{
    FILE* file = OpenFile(path, "rb");
    if (!file)
        return;
    auto document = std::make_unique<TiXmlDocument>();
    const bool loaded = LoadXmlDocument(*document, file, path);
    std::fclose(file);
    if (!loaded)
        return;
    const TiXmlElement* root = document->FirstChildElement("root");
    if (!root)
        return;

    for (TiXmlElement* record = const_cast<TiXmlElement*>(root->FirstChildElement("initData")); record;
         record = record->NextSiblingElement("initData"))
    {
        const std::string uniqueId = GetChildElementText("uniqueID", record);
        const TiXmlElement* typeElement = record->FirstChildElement("dataType");
        const std::string dataType = typeElement ? GetElementText(typeElement) : kDefaultDataType;

        std::unique_ptr<kaInitDataTable>& table = m_Tables[dataType];
        if (!table)
            table = std::make_unique<kaInitDataTable>();

        TiXmlElement* data = record->FirstChildElement("data");
        if (uniqueId.empty() || !data || table->count(uniqueId))
            continue;

        std::vector<std::string> includes;
        for (const TiXmlElement* include = record->FirstChildElement("include"); include;
             include = include->NextSiblingElement("include"))
            includes.push_back(GetElementText(include));
        table->emplace(uniqueId, std::make_unique<kaInitData>(data, std::move(includes)));
    }
    m_Documents.push_back(std::move(document));
}

const kaInitData* kaInitDataBase::Find(const std::string& dataType, const std::string& uniqueId) const
{
    const kaInitDataTable* table = GetTable(dataType);
    if (!table)
        return nullptr;
    const auto found = table->find(uniqueId);
    return found == table->end() ? nullptr : found->second.get();
}

const kaInitDataTable* kaInitDataBase::GetTable(const std::string& dataType) const
{
    const auto found = m_Tables.find(dataType);
    return found == m_Tables.end() ? nullptr : found->second.get();
}

bool kaInitDataBase::Apply(const std::string& dataType, const std::string& uniqueId,
                           const Reader& reader) const
{
    const kaInitData* record = Find(dataType, uniqueId);
    if (!record)
        return false;
    std::vector<std::string> chain;
    size_t applied = 0;
    _Apply(dataType, *record, uniqueId, chain, applied, reader);
    return true;
}

void kaInitDataBase::_Apply(const std::string& dataType, const kaInitData& record,
                            const std::string& uniqueId, std::vector<std::string>& chain, size_t& applied,
                            const Reader& reader) const
{
    // Past the limit every record is skipped; the counter steps over it once, so the line is written once.
    const auto refused = [&]()
    {
        if (applied < kMaxAppliedRecords)
            return false;
        if (applied++ == kMaxAppliedRecords)
            platform::DebugPrintf("[kaInitDataBase::Apply] : more than %zu records to apply (type \"%s\"); "
                                  "\"%s\" and the rest skipped",
                                  kMaxAppliedRecords, dataType.c_str(), uniqueId.c_str());
        return true;
    };
    if (refused())
        return;
    chain.push_back(uniqueId);
    for (const std::string& include : record.GetIncludes())
    {
        if (std::find(chain.begin(), chain.end(), include) != chain.end())
        {
            platform::DebugPrintf(
                "[kaInitDataBase::Apply] : \"%s\" includes \"%s\" again (type \"%s\"); skipped",
                uniqueId.c_str(), include.c_str(), dataType.c_str());
            continue;
        }
        if (chain.size() >= kMaxIncludeDepth)
        {
            platform::DebugPrintf("[kaInitDataBase::Apply] : includes of \"%s\" nest too deep (type \"%s\"); "
                                  "\"%s\" skipped",
                                  uniqueId.c_str(), dataType.c_str(), include.c_str());
            continue;
        }
        if (const kaInitData* included = Find(dataType, include))
            _Apply(dataType, *included, include, chain, applied, reader);
    }
    chain.pop_back();

    if (refused())
        return;
    ++applied;

    try
    {
        reader(record.GetData());
    }
    catch (const ka::bad_lexical_cast&)
    {
        platform::DebugPrintf(
            "[kaInitDataBase::Apply] : malformed value in \"%s\" (type \"%s\"); rest of the "
            "record ignored",
            uniqueId.c_str(), dataType.c_str());
    }
}

void kaInitDataBase::Clear()
{
    m_Tables.clear();
    m_Documents.clear();
}
