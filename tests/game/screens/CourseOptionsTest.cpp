#include "engine/core/kaInitDataBase.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "game/app/Tarvolin.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/screens/courseeditor/CourseOptions.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

constexpr const char* kLockedVenue = "Locked Canyon";

class CourseOptionsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        guiWindow* window = m_Game.Gui().FindWindow(CourseOptions::kWindowName);
        ASSERT_NE(window, nullptr);
        m_Options = window->DynamicCast<CourseOptions>();
        ASSERT_NE(m_Options, nullptr);
        // The generated venues, offered to anyone since no shop item locks them.
        m_Options->SetNewCourse(true);
        m_Options->OnShow();
        m_Generated = m_Options->VenueNames();
        // Two venues beside the generated ones; the shop sells one of them.
        m_Game.Install().Write(
            "TestVenues/venues.xml",
            "<root>"
            "<initData><uniqueID>Locked Canyon</uniqueID><dataType>Venue</dataType><data/></initData>"
            "<initData><uniqueID>Desert Bowl</uniqueID><dataType>Venue</dataType><data/></initData>"
            "<initData><uniqueID>Crate</uniqueID><dataType>Entity</dataType><data/></initData>"
            "</root>");
        ASSERT_TRUE(g_pInitDataBase->LoadInitData(m_Game.Install().File("TestVenues")));
        auto item = std::make_unique<ShopItem>();
        item->SetLockedEntity(kLockedVenue);
        m_Game.App().GetShopItems().push_back(std::move(item));
    }

    // The generated venues and the given ones, in the order the dialog lists venues.
    std::vector<std::string> WithGenerated(std::vector<std::string> venues) const
    {
        venues.insert(venues.end(), m_Generated.begin(), m_Generated.end());
        std::sort(venues.begin(), venues.end());
        return venues;
    }

    std::vector<std::string> m_Generated;

    std::string CellText(int32_t row, int32_t column) const
    {
        guiGlyph* cell = m_Options->GetGrid()->GetCell(row, column);
        guiGlyph* field = cell != nullptr ? cell->FindChild(PropertyEditor::kTextFieldName) : nullptr;
        auto* box = field != nullptr ? field->DynamicCast<guiTextBox>() : nullptr;
        return box != nullptr ? box->GetText() : "<none>";
    }

    bool Editable(int32_t row) const
    {
        guiGlyph* field = m_Options->GetGrid()->GetCell(row, 1)->FindChild(PropertyEditor::kTextFieldName);
        return field->DynamicCast<guiTextBox>()->IsEditable();
    }

    guiDropDown* VenueChoice() const
    {
        guiGlyph* cell = m_Options->GetGrid()->GetCell(2, 1);
        guiGlyph* found = cell != nullptr ? cell->FindChild(PropertyEditor::kDropDownName) : nullptr;
        return found != nullptr ? found->DynamicCast<guiDropDown>() : nullptr;
    }

    std::vector<std::string> Choices() const
    {
        std::vector<std::string> items;
        guiListBox* list = VenueChoice()->GetList();
        for (int32_t row = 0; row < list->GetUsedRows(); ++row)
        {
            list->SelectRow(row, false);
            items.push_back(list->GetSelectedText());
        }
        list->SelectRow(0, false);
        return items;
    }

    HeadlessGame m_Game;
    CourseOptions* m_Options = nullptr;
};

} // namespace

TEST_F(CourseOptionsTest, GridColumnsAndRowsOfANewCourse)
{
    ASSERT_NE(m_Options->GetGrid(), nullptr);
    EXPECT_EQ(m_Options->GetGrid()->GetColumnWidth(0), 140);
    EXPECT_EQ(m_Options->GetGrid()->GetColumnWidth(1), 160);
    EXPECT_TRUE(m_Options->IsNewCourse());

    tvPlayer* ann = m_Game.App().CreatePlayer("Ann");
    m_Game.App().SetCurrentPlayer(ann);
    m_Options->OnShow();
    ASSERT_EQ(m_Options->GetGrid()->GetRowCount(), 5u);
    const char* labels[] = {"Course Name:", "Designers Name:", "Venue:", "Point Target:", "Time Limit:"};
    for (int32_t row = 0; row < 5; ++row)
        EXPECT_EQ(CellText(row, 0), labels[row]) << row;
    const struct
    {
        int32_t row;
        const char* text;
        bool editable;
    } values[] = {{0, "Select Name", true}, {1, "Ann", false}, {3, "20", true}, {4, "2:00", true}};
    for (const auto& value : values)
    {
        EXPECT_EQ(CellText(value.row, 1), value.text) << value.row;
        EXPECT_EQ(m_Options->GetRowText(value.row), value.text) << value.row;
        EXPECT_EQ(Editable(value.row), value.editable) << value.row;
    }
    ASSERT_NE(VenueChoice(), nullptr);
    // The chosen venue reads back through the row's text field.
    EXPECT_EQ(m_Options->GetRowText(2), VenueChoice()->GetSelectedText());
    // Showing again builds the rows anew, not below the old ones.
    m_Options->OnShow();
    EXPECT_EQ(m_Options->GetGrid()->GetRowCount(), 5u);
}

TEST_F(CourseOptionsTest, VenuesLockedInTheShopAreOfferedOnlyOnceBought)
{
    tvPlayer* buyer = m_Game.App().CreatePlayer("Buyer");
    buyer->Unlock(kLockedVenue);
    tvPlayer* other = m_Game.App().CreatePlayer("Other");
    const struct
    {
        tvPlayer* player;
        const char* designer;
        std::vector<std::string> venues;
    } cases[] = {
        {nullptr, "", WithGenerated({"Desert Bowl"})},
        {other, "Other", WithGenerated({"Desert Bowl"})},
        {buyer, "Buyer", WithGenerated({"Desert Bowl", "Locked Canyon"})},
    };
    for (const auto& entry : cases)
    {
        m_Game.App().SetCurrentPlayer(entry.player);
        m_Options->SetNewCourse(true);
        m_Options->OnShow();
        EXPECT_EQ(m_Options->VenueNames(), entry.venues) << entry.designer;
        ASSERT_NE(VenueChoice(), nullptr);
        EXPECT_EQ(Choices(), entry.venues) << entry.designer;
        EXPECT_EQ(m_Options->GetRowText(1), entry.designer);
    }
}

TEST_F(CourseOptionsTest, AnExistingCourseShowsItsVenueReadOnly)
{
    m_Options->SetNewCourse(false);
    m_Options->OnShow();
    EXPECT_EQ(VenueChoice(), nullptr);
    EXPECT_EQ(CellText(2, 1), "House of Pain");
    EXPECT_FALSE(Editable(2));
    EXPECT_EQ(m_Options->GetRowText(0), "Select Name");
}

TEST_F(CourseOptionsTest, OkReadsTheRowsAndAnswersOneCancelAnswersTwo)
{
    tvPlayer* ann = m_Game.App().CreatePlayer("Ann");
    m_Game.App().SetCurrentPlayer(ann);
    m_Options->SetNewCourse(true);
    // Row 1 is shown only: a change there is not read back.
    m_Game.Queue(
        [this]
        {
            guiGrid* grid = m_Options->GetGrid();
            auto field = [grid](int32_t row) {
                return grid->GetCell(row, 1)
                    ->FindChild(PropertyEditor::kTextFieldName)
                    ->DynamicCast<guiTextBox>();
            };
            field(0)->SetText("Big Jump");
            field(1)->SetText("Somebody");
            field(3)->SetText("45");
            field(4)->SetText("1:30");
            VenueChoice()->SelectByText("SampleArena");
        });
    m_Game.Click(CourseOptions::kWindowName, CourseOptions::kOkName);
    EXPECT_EQ(m_Game.Gui().ShowWindow(m_Options, true), 1);
    EXPECT_EQ(m_Options->GetCourseName(), "Big Jump");
    EXPECT_EQ(m_Options->GetVenue(), "SampleArena");
    EXPECT_EQ(m_Options->GetPointTarget(), "45");
    EXPECT_EQ(m_Options->GetTimeLimit(), "1:30");

    m_Game.Click(CourseOptions::kWindowName, CourseOptions::kCancelName);
    EXPECT_EQ(m_Game.Gui().ShowWindow(m_Options, true), 2);
    EXPECT_FALSE(m_Options->IsVisible());
}

TEST_F(CourseOptionsTest, ACellWithoutATextFieldStaysOutOfTheGrid)
{
    m_Options->OnShow();
    guiGrid* grid = m_Options->GetGrid();
    ASSERT_EQ(grid->GetRowCount(), 5u);
    // A layout of a button, and no layout at all: the cell keeps what it held.
    for (const char* file : {"ui/editor/properties_browse_cell.kab", "ui/tvEditor/no_such_cell.kab"})
    {
        guiGlyph* before = grid->GetCell(3, 1);
        m_Options->AddCell(3, 1, file, "99");
        EXPECT_EQ(grid->GetCell(3, 1), before) << file;
        EXPECT_EQ(m_Options->GetRowText(3), "20") << file;
    }
    m_Options->AddCell(3, 1, PropertyEditor::kTextCell, "99");
    EXPECT_EQ(m_Options->GetRowText(3), "99");
    // A row without a value cell reads as empty.
    EXPECT_EQ(m_Options->GetRowText(7), "");
}

// A player names a new course and sets its target and time with the real pointer and keys: wherever a row's
// box is clicked (near its start, in its middle, past its end), the typed text replaces what the row showed.
TEST(CourseOptionsRealInputTest, EachTypedRowHoldsExactlyWhatWasTypedWhereverItWasClicked)
{
    const struct
    {
        int32_t row;
        const char* typed;
    } rows[] = {{0, "Hilltop"}, {3, "35"}, {4, "1:30"}};
    for (const double across : {0.05, 0.5, 0.97})
    {
        SCOPED_TRACE(across);
        HeadlessGame::Options options;
        options.sdlInput = true;
        HeadlessGame game(options);
        ASSERT_TRUE(game.Start());
        ASSERT_TRUE(game.RunScript());
        auto* dialog = game.Gui().FindWindow(CourseOptions::kWindowName)->DynamicCast<CourseOptions>();
        ASSERT_NE(dialog, nullptr);
        dialog->SetNewCourse(true);
        game.Gui().ShowWindow(dialog, false);
        auto box = [dialog](int32_t row)
        {
            guiGlyph* cell = dialog->GetGrid()->GetCell(row, 1);
            guiGlyph* field = cell != nullptr ? cell->FindChild(PropertyEditor::kTextFieldName) : nullptr;
            return field != nullptr ? field->DynamicCast<guiTextBox>() : nullptr;
        };
        for (const auto& row : rows)
        {
            const int32_t index = row.row;
            game.ClickAt(
                [box, index, across](int32_t& x, int32_t& y)
                {
                    guiTextBox* field = box(index);
                    if (field == nullptr)
                        return false;
                    const platform::Rect& rect = field->GetHitRect();
                    x = rect.left + static_cast<int32_t>((rect.right - rect.left) * across);
                    y = (rect.top + rect.bottom) / 2;
                    return true;
                });
            game.Type(row.typed);
        }
        ASSERT_TRUE(game.RunScript());
        for (const auto& row : rows)
        {
            ASSERT_NE(box(row.row), nullptr) << row.row;
            EXPECT_EQ(box(row.row)->GetText(), row.typed) << row.row;
        }
        game.Click(CourseOptions::kWindowName, CourseOptions::kOkName);
        ASSERT_TRUE(game.RunScript());
        EXPECT_EQ(dialog->GetCourseName(), "Hilltop");
        EXPECT_EQ(dialog->GetPointTarget(), "35");
        EXPECT_EQ(dialog->GetTimeLimit(), "1:30");
    }
}
