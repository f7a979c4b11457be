#include "editor/EditorResourceList.h"

#include "engine/gui/guiListBox.h"
#include "engine/gui/guiText.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace
{

std::vector<std::string> Rows(const guiListBox& list)
{
    std::vector<std::string> rows;
    for (int32_t row = 0; row < list.GetUsedRows(); ++row)
    {
        guiGlyph* cell = list.GetCell(row, 0);
        auto* text = cell != nullptr ? cell->DynamicCast<guiText>() : nullptr;
        rows.push_back(text != nullptr ? text->GetText() : "<no text>");
    }
    return rows;
}

class EditorResourceListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_List = new guiListBox(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(200, 100));
    }
    void TearDown() override { m_List->Release(); }

    testsupport::TempDir m_Dir;
    testsupport::CurrentDirectory m_Here{m_Dir.Path()};
    guiListBox* m_List = nullptr;
};

} // namespace

TEST_F(EditorResourceListTest, PatternsDecideTheOrderBeforeTheListingAndRowsCarryTheFolder)
{
    for (const char* name : {"a.tga", "b.bmp", "c.dds", "z.bmp", "notes.txt", "pic.png"})
        m_Dir.Write(std::string("pics/") + name, "x");
    // A folder named like a picture is no picture.
    std::filesystem::create_directories(m_Dir.File("pics/folder.bmp"));

    EditorResourceList::Fill(*m_List, "pics\\");

    const std::vector<std::string> expected = {"pics\\b.bmp", "pics\\z.bmp", "pics\\a.tga", "pics\\c.dds"};
    EXPECT_EQ(Rows(*m_List), expected);
    // The first row is the one selected, so that the preview has something to show.
    EXPECT_EQ(m_List->GetSelectedRow(), 0);
}

TEST_F(EditorResourceListTest, EmptyMissingAndUnnamedFoldersLeaveTheListEmpty)
{
    std::filesystem::create_directories(m_Dir.File("empty"));
    m_Dir.Write("full/one.bmp", "x");
    for (const char* folder : {"empty\\", "missing\\", ""})
    {
        EditorResourceList::Fill(*m_List, "full\\");
        ASSERT_EQ(m_List->GetUsedRows(), 1) << folder;
        EditorResourceList::Fill(*m_List, folder);
        EXPECT_EQ(m_List->GetUsedRows(), 0) << folder;
        EXPECT_EQ(m_List->GetSelectedRow(), -1) << folder;
        EXPECT_EQ(m_List->GetSelectedText(), "") << folder;
    }
}
