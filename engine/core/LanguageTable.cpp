#include "engine/core/LanguageTable.h"

#include "engine/core/kaDirectoryIterator.h"

LanguageTable* g_pLanguageTable = nullptr;

LanguageTable::LanguageTable(const std::string& folder)
{
    g_pLanguageTable = this;
    const kaDirectoryIterator end;
    for (kaDirectoryIterator it(folder + "\\*.xml", kaDirectoryIterator::kEveryEntry); it != end;)
    {
        const std::string file = it.ReadNext();
        m_Languages.push_back({folder + "\\" + file, file.substr(0, file.find(".xml"))});
    }
}

LanguageTable::~LanguageTable()
{
    if (g_pLanguageTable == this)
        g_pLanguageTable = nullptr;
}
