#include "editor/EditorPropertiesWindow.h"

#include "engine/gui/guiButton.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiTextBox.h"
#include "engine/render/kaTGAImage.h"
#include "engine/scene/kaPropertyRecord.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

struct Row
{
    const char* label;
    const char* value;
    bool browse;
    const char* folder;
    bool fromList;
    const char* listFile;
};

kaPropertyList MakeList(const std::vector<Row>& rows)
{
    kaPropertyList list;
    for (const Row& row : rows)
    {
        kaPropertyRecord& record = kaPropertyRecord::Append(list, row.label, row.value);
        record.m_Browse = row.browse;
        record.m_Folder = row.folder;
        if (row.fromList)
            record.m_Kind = kaPropertyRecord::kFromListFile;
        record.m_ListFile = row.listFile;
    }
    return list;
}

class EditorPropertiesWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        guiWindow* window = m_Game.Gui().FindWindow(EditorPropertiesWindow::kWindowName);
        ASSERT_NE(window, nullptr);
        m_Window = window->DynamicCast<EditorPropertiesWindow>();
        ASSERT_NE(m_Window, nullptr);
    }

    // A picture the texture loader takes.
    void WritePicture(const std::string& relative)
    {
        const std::vector<uint8_t> texels(4 * 4 * 4, 200);
        kaTGAImage image;
        ASSERT_TRUE(image.Create(4, 4, 32, 8, texels.data()));
        m_Game.Install().Write(relative, "");
        ASSERT_TRUE(image.Save(m_Game.Install().File(relative), false));
    }

    std::vector<std::string> BrowseRows() const
    {
        std::vector<std::string> rows;
        guiListBox* list = m_Window->GetBrowseList();
        for (int32_t row = 0; row < list->GetUsedRows(); ++row)
        {
            list->SelectRow(row, false);
            rows.push_back(list->GetSelectedText());
        }
        if (!rows.empty())
            list->SelectRow(0, false);
        return rows;
    }

    std::vector<std::string> XmlRows() const
    {
        std::vector<std::string> rows;
        guiListBox* list = m_Window->GetXmlList();
        for (int32_t row = 0; row < list->GetUsedRows(); ++row)
        {
            list->SelectRow(row, false);
            rows.push_back(list->GetSelectedText());
        }
        return rows;
    }

    void Pick(guiListBox* list, const std::string& text) { ASSERT_TRUE(list->SelectByText(text)) << text; }

    bool BrowseOpen() const
    {
        return m_Window->GetBrowseListGroup()->IsVisible() && m_Window->GetBrowseButtonGroup()->IsVisible() &&
               m_Window->GetPreviewGroup()->IsVisible();
    }
    bool XmlOpen() const
    {
        return m_Window->GetXmlListGroup()->IsVisible() && m_Window->GetXmlButtonGroup()->IsVisible();
    }

    // Typing into the row's box the way the window's keys reach it, then the focus moving away.
    void TypeInto(int32_t row, const std::string& text, bool leave)
    {
        guiTextBox* box = m_Window->GetValueBox(row);
        ASSERT_NE(box, nullptr);
        m_Window->SetFocus(box);
        for (const char c : text)
        {
            guiMsgKey key;
            key.key = static_cast<uint8_t>(c);
            box->OnKey(key);
        }
        if (leave)
            m_Window->SetFocus(nullptr);
    }

    HeadlessGame m_Game;
    EditorPropertiesWindow* m_Window = nullptr;
};

} // namespace

TEST_F(EditorPropertiesWindowTest, FindsItsWidgetsAndSetsUpTheGridAndLists)
{
    EXPECT_NE(m_Window->GetTitleBox(), nullptr);
    EXPECT_NE(m_Window->GetPreview(), nullptr);
    for (guiGroup* group :
         {m_Window->GetXmlListGroup(), m_Window->GetXmlButtonGroup(), m_Window->GetBrowseListGroup(),
          m_Window->GetBrowseButtonGroup(), m_Window->GetPreviewGroup()})
        EXPECT_NE(group, nullptr);
    for (const char* button : {"xml list select button", "xml list cancel button", "list select button",
                               "list cancel button", "ok", "cancel"})
    {
        guiGlyph* found = m_Window->FindChild(button);
        EXPECT_TRUE(found != nullptr && found->DynamicCast<guiButton>() != nullptr) << button;
    }
    guiGrid* grid = m_Window->GetGrid();
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->GetColumnCount(), 3u);
    EXPECT_EQ(grid->GetColumnWidth(0), 120);
    EXPECT_EQ(grid->GetColumnWidth(1), 289);
    EXPECT_EQ(grid->GetColumnParam(2), 60u);
    EXPECT_EQ(m_Window->GetBrowseList()->GetMaxChars(), 200);
    EXPECT_EQ(m_Window->GetXmlList()->GetMaxChars(), 200);

    m_Window->SetTitle("World Properties");
    EXPECT_EQ(m_Window->GetTitleBox()->GetText(), "World Properties");
}

TEST_F(EditorPropertiesWindowTest, BuildsARowPerRecordInOrderWithAButtonOnlyWhereFlagged)
{
    const std::vector<Row> rows = {
        {"Name:", "Arena", false, "", false, ""},
        {"Texture:", "a.tga", true, "resources/worlds/groundtiles/", false, ""},
        {"Terrain Type:", "Grass", false, "", true, "InitData/TerrainTypes.xml"},
        // Browsing wins over a list.
        {"Both:", "x", true, "pictures/", true, "InitData/TerrainTypes.xml"},
        {"Scale:", "1.5", false, "", false, ""},
    };
    // A second fill replaces the first rows.
    m_Window->SetPropertyList(MakeList({{"Old:", "1", false, "", false, ""}}));
    m_Window->SetPropertyList(MakeList(rows));
    guiGrid* grid = m_Window->GetGrid();
    ASSERT_EQ(m_Window->GetRowCount(), int32_t(rows.size()));
    ASSERT_EQ(grid->GetRowCount(), rows.size());
    for (size_t r = 0; r < rows.size(); ++r)
    {
        const int32_t row = int32_t(r);
        const std::string label = rows[r].label;
        EXPECT_EQ(m_Window->FindRowByLabel(label), row) << label;
        ASSERT_NE(m_Window->GetValueBox(row), nullptr) << label;
        EXPECT_EQ(m_Window->GetValueBox(row)->GetText(), rows[r].value);
        guiGlyph* button = grid->GetCell(row, 2);
        const bool wanted = rows[r].browse || rows[r].fromList;
        EXPECT_EQ(button != nullptr, wanted) << label;
        EXPECT_EQ(grid->IsCellSelectable(row, 2), wanted) << label;
        if (button != nullptr)
        {
            const char* name = rows[r].browse ? "browse" : "xml";
            EXPECT_NE(button->FindChild(name), nullptr) << label;
        }
    }
    EXPECT_EQ(m_Window->FindRowByLabel("TERRAIN TYPE:"), 2);
    EXPECT_EQ(m_Window->FindRowByLabel("Old:"), -1);
    EXPECT_EQ(m_Window->FindRowByLabel("Terrain Type"), -1);
}

TEST_F(EditorPropertiesWindowTest, CancelGivesBackTheRecordsGivenAndOkAfterAnEditNewRecords)
{
    const kaPropertyList given = MakeList({
        {"Name:", "Arena", false, "", false, ""},
        {"Texture:", "a.tga", true, "resources/worlds/groundtiles/", false, ""},
        {"Terrain Type:", "Grass", false, "", true, "InitData/TerrainTypes.xml"},
    });
    m_Window->SetPropertyList(given);
    // Nothing edited yet: the same records come back.
    kaPropertyList back = m_Window->GetPropertyList();
    ASSERT_EQ(back.size(), given.size());
    for (size_t i = 0; i < given.size(); ++i)
        EXPECT_EQ(back[i].Get(), given[i].Get());

    // Typing alone changes nothing until the box loses the focus.
    TypeInto(0, "X", false);
    EXPECT_FALSE(m_Window->IsChanged());
    EXPECT_EQ(m_Window->GetPropertyList()[0].Get(), given[0].Get());
    m_Window->SetFocus(nullptr);
    EXPECT_TRUE(m_Window->IsChanged());

    back = m_Window->GetPropertyList();
    ASSERT_EQ(back.size(), 3u);
    const struct
    {
        const char* label;
        const char* value;
        const char* folder;
    } expected[] = {{"Name:", "XArena", ""},
                    {"Texture:", "a.tga", "resources/worlds/groundtiles/"},
                    {"Terrain Type:", "Grass", ""}};
    for (size_t i = 0; i < back.size(); ++i)
    {
        EXPECT_NE(back[i].Get(), given[i].Get()) << i;
        EXPECT_EQ(back[i]->m_Label, expected[i].label);
        EXPECT_EQ(back[i]->m_Value, expected[i].value);
        EXPECT_EQ(back[i]->m_Folder, expected[i].folder);
        EXPECT_FALSE(back[i]->m_Browse);
        EXPECT_EQ(back[i]->m_Kind, kaPropertyRecord::kTyped);
        EXPECT_TRUE(back[i]->m_ListFile.empty());
    }
    // The records given stay as they were.
    EXPECT_EQ(given[0]->m_Value, "Arena");

    // Cancel after an edit: the list given, with its own records.
    m_Window->SetPropertyList(given);
    TypeInto(1, "Y", true);
    ASSERT_TRUE(m_Window->IsChanged());
    m_Game.Click(EditorPropertiesWindow::kWindowName, "cancel");
    m_Game.Queue([this] { EXPECT_TRUE(m_Window->IsVisible()); });
    EXPECT_EQ(m_Game.Gui().ShowWindow(m_Window, true), 2);
    EXPECT_FALSE(m_Window->IsChanged());
    back = m_Window->GetPropertyList();
    ASSERT_EQ(back.size(), given.size());
    for (size_t i = 0; i < given.size(); ++i)
        EXPECT_EQ(back[i].Get(), given[i].Get());
}

TEST_F(EditorPropertiesWindowTest, OkWithoutAnEditSinceCancelAnswersOneWithTheSameRecords)
{
    const kaPropertyList given = MakeList({{"Name:", "Arena", false, "", false, ""}});
    m_Window->SetPropertyList(given);
    m_Game.Click(EditorPropertiesWindow::kWindowName, "ok");
    EXPECT_EQ(m_Game.Gui().ShowWindow(m_Window, true), 1);
    kaPropertyList back = m_Window->GetPropertyList();
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].Get(), given[0].Get());
}

TEST_F(EditorPropertiesWindowTest, BrowsingListsParentFoldersThenListedFilesAndWalksTheTree)
{
    WritePicture("browse/a/b.tga");
    WritePicture("browse/a/g.BMP");
    m_Game.Install().Write("browse/a/d.KMF", "model");
    m_Game.Install().Write("browse/a/e.xml", "<a/>");
    m_Game.Install().Write("browse/a/f.txt", "skipped");
    m_Game.Install().Write("browse/a/sub/h.dds", "");
    m_Game.Install().Write("browse/a/sub/deeper/i.xml", "");
    m_Game.Install().Write("browse/top.kmf", "");
    m_Window->SetPropertyList(MakeList(
        {{"Name:", "Arena", false, "", false, ""}, {"Texture:", "old.tga", true, "browse/a/", false, ""}}));
    m_Window->OnBrowseButton(1);
    EXPECT_EQ(m_Window->GetCurrentRow(), 1);
    EXPECT_EQ(m_Window->GetBrowseFolder(), "browse/a/");
    EXPECT_TRUE(BrowseOpen());
    EXPECT_EQ(BrowseRows(), (std::vector<std::string>{"..", "/sub", "b.tga", "d.KMF", "e.xml", "g.BMP"}));

    // Each step: the row chosen, the folder then listed, and its rows.
    const struct
    {
        const char* choose;
        const char* folder;
        std::vector<std::string> rows;
    } steps[] = {
        {"/sub", "browse/a//sub", {"..", "/deeper", "h.dds"}},
        {"/deeper", "browse/a//sub/deeper", {"..", "i.xml"}},
        // One level up, whether the folder was entered by a row or given with a trailing separator.
        {"..", "browse/a//sub", {"..", "/deeper", "h.dds"}},
        {"..", "browse/a/", {"..", "/sub", "b.tga", "d.KMF", "e.xml", "g.BMP"}},
        {"..", "browse", {"..", "/a", "top.kmf"}},
        // A folder without a separator lists itself again.
        {"..", "browse", {"..", "/a", "top.kmf"}},
    };
    for (const auto& step : steps)
    {
        Pick(m_Window->GetBrowseList(), step.choose);
        m_Window->ChooseBrowseEntry();
        EXPECT_EQ(m_Window->GetBrowseFolder(), step.folder) << step.choose;
        EXPECT_EQ(BrowseRows(), step.rows) << step.folder;
        EXPECT_TRUE(BrowseOpen()) << step.folder;
    }
    EXPECT_FALSE(m_Window->IsChanged());

    Pick(m_Window->GetBrowseList(), "/a");
    m_Window->ChooseBrowseEntry();
    Pick(m_Window->GetBrowseList(), "g.BMP");
    m_Window->ChooseBrowseEntry();
    EXPECT_EQ(m_Window->GetValueBox(1)->GetText(), "browse/a/g.BMP");
    EXPECT_EQ(m_Window->GetValueBox(0)->GetText(), "Arena");
    EXPECT_FALSE(BrowseOpen());
    EXPECT_TRUE(m_Window->IsChanged());
    EXPECT_EQ(m_Window->GetPropertyList()[1]->m_Value, "browse/a/g.BMP");
}

TEST_F(EditorPropertiesWindowTest, PreviewShowsPicturesOnlyAndAMissingFolderKeepsIt)
{
    WritePicture("pics/b.tga");
    m_Game.Install().Write("pics/car.KMF", "model");
    m_Window->SetPropertyList(MakeList(
        {{"Texture:", "", true, "pics", false, ""}, {"Other:", "", true, "no/such/folder/", false, ""}}));
    m_Window->OnBrowseButton(0);
    // The first row, "..", gives no preview; the picture does.
    EXPECT_TRUE(m_Window->GetPreview()->GetFilename().empty());
    Pick(m_Window->GetBrowseList(), "b.tga");
    m_Window->ShowBrowsePreview();
    EXPECT_EQ(m_Window->GetPreview()->GetFilename(), "pics/b.tga");
    EXPECT_NE(m_Window->GetPreview()->GetTexture(), nullptr);
    // A model written in capitals is listed but leaves the picture.
    Pick(m_Window->GetBrowseList(), "car.KMF");
    m_Window->ShowBrowsePreview();
    EXPECT_EQ(m_Window->GetPreview()->GetFilename(), "pics/b.tga");

    m_Window->OnBrowseButton(1);
    EXPECT_EQ(m_Window->GetBrowseFolder(), "no/such/folder/");
    EXPECT_EQ(m_Window->GetBrowseList()->GetUsedRows(), 0);
    EXPECT_EQ(m_Window->GetPreview()->GetFilename(), "pics/b.tga");
    // Choosing from an empty list changes nothing.
    m_Window->ChooseBrowseEntry();
    EXPECT_FALSE(m_Window->IsChanged());
    EXPECT_TRUE(m_Window->GetValueBox(1)->GetText().empty());

    // Showing the window closes the list.
    m_Window->OnShow();
    EXPECT_FALSE(BrowseOpen());
    EXPECT_FALSE(XmlOpen());
}

TEST_F(EditorPropertiesWindowTest, EachListRowOffersItsOwnFileAndAPickFillsTheRowsItsChildrenName)
{
    m_Game.Install().Write(
        "lists/types.xml",
        "<types>"
        "<property value=\"Grass\"><set label=\"friction:\" value=\"0.8\"/>"
        "<set label=\"Sound:\" value=\"soft.wav\"/><set label=\"\" value=\"ignored\"/></property>"
        "<property value=\"\"/><property/>"
        "<property value=\"Rock\"><set label=\"Friction:\" value=\"1.2\"/></property>"
        "</types>");
    m_Game.Install().Write("lists/colours.xml", "<c><property value=\"Red\"/><property value=\"Blue\"/></c>");
    m_Game.Install().Write("lists/broken.xml", "<c><property value=\"Red\"/>");
    m_Window->SetPropertyList(MakeList({{"Type:", "Sand", false, "", true, "lists/types.xml"},
                                        {"Friction:", "0.5", false, "", false, ""},
                                        {"Colour:", "Green", false, "", true, "lists/colours.xml"},
                                        {"Sound:", "none", false, "", false, ""},
                                        {"Broken:", "", false, "", true, "lists/broken.xml"},
                                        {"Missing:", "", false, "", true, "lists/none.xml"}}));

    m_Window->OnXmlButton(0);
    EXPECT_EQ(m_Window->GetXmlFile(), "lists/types.xml");
    EXPECT_TRUE(XmlOpen());
    EXPECT_EQ(XmlRows(), (std::vector<std::string>{"Grass", "Rock"}));
    m_Window->ShowXmlList(false);

    m_Window->OnXmlButton(2);
    EXPECT_EQ(XmlRows(), (std::vector<std::string>{"Red", "Blue"}));
    Pick(m_Window->GetXmlList(), "Blue");
    m_Window->ChooseXmlValue();
    EXPECT_EQ(m_Window->GetValueBox(2)->GetText(), "Blue");
    EXPECT_FALSE(XmlOpen());
    EXPECT_TRUE(m_Window->IsChanged());

    // A pick sets its own row and every row a child names, letter case aside.
    m_Window->OnXmlButton(0);
    Pick(m_Window->GetXmlList(), "Grass");
    m_Window->ChooseXmlValue();
    EXPECT_EQ(m_Window->GetValueBox(0)->GetText(), "Grass");
    EXPECT_EQ(m_Window->GetValueBox(1)->GetText(), "0.8");
    EXPECT_EQ(m_Window->GetValueBox(3)->GetText(), "soft.wav");
    EXPECT_EQ(m_Window->GetValueBox(2)->GetText(), "Blue");

    // Files that do not load keep the list closed and empty.
    for (int32_t row : {4, 5})
    {
        m_Window->OnXmlButton(row);
        EXPECT_FALSE(XmlOpen()) << row;
        EXPECT_EQ(m_Window->GetXmlList()->GetUsedRows(), 0) << row;
    }
    // The list rows carry no folder back.
    for (const kaCountedPtr<kaPropertyRecord>& record : m_Window->GetPropertyList())
        EXPECT_TRUE(record->m_Folder.empty()) << record->m_Label;
}

TEST_F(EditorPropertiesWindowTest, OpeningOneListClosesTheOtherThatSharesItsPlace)
{
    m_Game.Install().Write("lists/colours.xml", "<c><property value=\"Red\"/></c>");
    m_Window->SetPropertyList(MakeList({{"Texture:", "", true, "lists/", false, ""},
                                        {"Colour:", "", false, "", true, "lists/colours.xml"}}));
    m_Window->OnBrowseButton(0);
    ASSERT_TRUE(BrowseOpen());
    m_Window->OnXmlButton(1);
    EXPECT_TRUE(XmlOpen());
    EXPECT_FALSE(m_Window->GetBrowseListGroup()->IsVisible());
    m_Window->OnBrowseButton(0);
    EXPECT_TRUE(BrowseOpen());
    EXPECT_FALSE(m_Window->GetXmlListGroup()->IsVisible());
}

TEST_F(EditorPropertiesWindowTest, RowsRebuiltUnderTheFocusAndThePointerLeaveNothingBehind)
{
    m_Window->SetPropertyList(
        MakeList({{"Name:", "a", false, "", false, ""}, {"Texture:", "", true, "no/such/", false, ""}}));
    m_Game.ClickWidget([this] { return m_Window->GetValueBox(0); });
    m_Game.Queue([this] { EXPECT_EQ(m_Window->GetFocusedWidget(), m_Window->GetValueBox(0)); });
    m_Game.ClickWidget(
        [this]
        {
            guiGlyph* browse = m_Window->GetGrid()->GetCell(1, 2)->FindChild("browse");
            return browse != nullptr ? browse->DynamicCast<guiWidget>() : nullptr;
        });
    m_Game.ClickWidget([this] { return m_Window->GetValueBox(0); });
    m_Game.Queue([this] { m_Window->SetPropertyList(MakeList({{"Other:", "b", false, "", false, ""}})); });
    // Keys and moves after the rebuild reach no widget of the old rows.
    m_Game.Type("Z");
    // Mouse kind 1 is a move along X.
    m_Game.Queue([this] { m_Game.App().OnMouse(1, 0, 5, 0); });
    m_Game.Click(EditorPropertiesWindow::kWindowName, "ok");
    EXPECT_EQ(m_Game.Gui().ShowWindow(m_Window, true), 1);
    EXPECT_EQ(m_Game.PendingSteps(), 0u);
    EXPECT_EQ(m_Window->GetRowCount(), 1);
    EXPECT_EQ(m_Window->GetValueBox(0)->GetText(), "b");
    EXPECT_EQ(m_Window->GetCurrentRow(), 1);
}
