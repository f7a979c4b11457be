#pragma once

#include <string>
#include <vector>

// The installed language files, listed so a language can be offered by name. Nothing reads their
// contents. One instance lives from static construction to exit.
class LanguageTable
{
public:
    struct Language
    {
        std::string filePath;
        // The file name cut at its first ".xml".
        std::string name;
    };

    // Lists folder\*.xml in listing order; a missing or empty folder gives no languages.
    explicit LanguageTable(const std::string& folder);
    ~LanguageTable();
    LanguageTable(const LanguageTable&) = delete;
    LanguageTable& operator=(const LanguageTable&) = delete;

    const std::vector<Language>& GetLanguages() const { return m_Languages; }

private:
    std::vector<Language> m_Languages;
};

// The catalogue while it exists; null before static construction and after exit.
extern LanguageTable* g_pLanguageTable;
