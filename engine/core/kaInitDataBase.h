#pragma once

#include "engine/core/kaInitData.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class TiXmlDocument;
class TiXmlElement;

// Records of one data type by unique id.
using kaInitDataTable = std::map<std::string, std::unique_ptr<kaInitData>>;

// Named XML presets by (data type, unique id), loaded from every .xml file of one folder. Records may
// include other records of the same type, which apply first. One instance lives from static
// construction to exit.
class kaInitDataBase
{
public:
    // Deepest include chain followed; a longer one is cut, so a hostile file cannot exhaust the stack.
    static constexpr size_t kMaxIncludeDepth = 64;
    // Most records one Apply hands over: a record including the same record twice at every level would
    // otherwise double the work per level and never finish.
    static constexpr size_t kMaxAppliedRecords = 4096;

    using Reader = std::function<void(TiXmlElement* data)>;

    kaInitDataBase();
    virtual ~kaInitDataBase();
    kaInitDataBase(const kaInitDataBase&) = delete;
    kaInitDataBase& operator=(const kaInitDataBase&) = delete;

    // Adds the records of every readable file of the folder, files in listing order; the first
    // record of each (data type, unique id) wins. Always true.
    bool LoadInitData(const std::string& folder);

    const kaInitData* Find(const std::string& dataType, const std::string& uniqueId) const;
    const kaInitDataTable* GetTable(const std::string& dataType) const;

    // Hands the reader the data of every record the record includes (recursively, in include order),
    // then its own. An include already on the chain is skipped, and a record whose reader meets a
    // malformed value is abandoned, each with a debugger line; past kMaxAppliedRecords the rest is
    // skipped with one. False when the record does not exist.
    bool Apply(const std::string& dataType, const std::string& uniqueId, const Reader& reader) const;

    void Clear();

private:
    void _LoadFile(const std::string& path);
    void _Apply(const std::string& dataType, const kaInitData& record, const std::string& uniqueId,
                std::vector<std::string>& chain, size_t& applied, const Reader& reader) const;

    std::vector<std::unique_ptr<TiXmlDocument>> m_Documents;
    std::map<std::string, std::unique_ptr<kaInitDataTable>> m_Tables;
};

// The database while it exists; null before static construction and after exit.
extern kaInitDataBase* g_pInitDataBase;
