#include "engine/core/LanguageTable.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace
{

std::vector<std::string> Names(const LanguageTable& table)
{
    std::vector<std::string> names;
    for (const LanguageTable::Language& language : table.GetLanguages())
        names.push_back(language.name);
    return names;
}

TEST(LanguageTable, NamesAreFileNamesCutAtTheFirstXml)
{
    testsupport::TempDir dir;
    dir.Write("Data/Languages/English.xml", "<language/>");
    dir.Write("Data/Languages/a.xml.xml", "");
    dir.Write("Data/Languages/Deutsch.xml", "");
    dir.Write("Data/Languages/notes.txt", "");
    dir.Write("Data/Languages/Folder.xml/inside.txt", "");
    const std::string folder = dir.Path() + "\\Data\\Languages";
    const LanguageTable table(folder);
    EXPECT_EQ(Names(table), (std::vector<std::string>{"a", "Deutsch", "English", "Folder"}));
    EXPECT_EQ(table.GetLanguages()[2].filePath, folder + "\\English.xml");
}

TEST(LanguageTable, MissingFolderGivesNoLanguages)
{
    testsupport::TempDir dir;
    const LanguageTable table(dir.Path() + "\\Data\\Languages");
    EXPECT_TRUE(table.GetLanguages().empty());
    EXPECT_EQ(g_pLanguageTable, &table);
}

TEST(LanguageTable, GlobalPointerIsClearedOnDestruction)
{
    {
        const LanguageTable table("nowhere");
    }
    EXPECT_EQ(g_pLanguageTable, nullptr);
}

} // namespace
