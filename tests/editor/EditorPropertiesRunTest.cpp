#include "editor/EditorPropertiesWindow.h"

#include "engine/gui/guiGrid.h"
#include "engine/gui/guiGroup.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiTextBox.h"
#include "engine/render/kaBMPImage.h"
#include "engine/render/kaTGAImage.h"
#include "engine/scene/kaPropertyRecord.h"
#include "tests/support/FrameReading.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

HeadlessGame::Options RealGraphics()
{
    HeadlessGame::Options options;
    options.realGraphics = true;
    return options;
}

class EditorPropertiesRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        m_Window = m_Game.Gui()
                       .FindWindow(EditorPropertiesWindow::kWindowName)
                       ->DynamicCast<EditorPropertiesWindow>();
        ASSERT_NE(m_Window, nullptr);
    }

    // An orange picture, or a grey one, in 24-bit TGA or BMP as the name says.
    void WritePicture(const std::string& relative, bool orange)
    {
        std::vector<uint8_t> texels(32 * 32 * 3);
        for (size_t i = 0; i < texels.size(); i += 3)
        {
            texels[i] = orange ? 30 : 128;      // blue
            texels[i + 1] = 128;                // green
            texels[i + 2] = orange ? 240 : 128; // red
        }
        m_Game.Install().Write(relative, "");
        if (relative.substr(relative.size() - 4) == ".tga")
        {
            kaTGAImage image;
            ASSERT_TRUE(image.Create(32, 32, 24, 0, texels.data()));
            ASSERT_TRUE(image.Save(m_Game.Install().File(relative), false));
        }
        else
        {
            kaBMPImage image;
            ASSERT_TRUE(image.Create(32, 32, 24, texels.data()));
            ASSERT_TRUE(image.Save(m_Game.Install().File(relative), false));
        }
    }

    // The button of a row's third cell.
    void ClickRowButton(int32_t row, const char* name)
    {
        m_Game.ClickWidget(
            [this, row, name]
            {
                guiGlyph* cell = m_Window->GetGrid()->GetCell(row, 2);
                guiGlyph* button = cell != nullptr ? cell->FindChild(name) : nullptr;
                return button != nullptr ? button->DynamicCast<guiWidget>() : nullptr;
            });
    }

    // The row of the list that holds the text, as the list shows it when the press runs.
    void ClickListRow(guiListBox* list, const std::string& text)
    {
        m_Game.ClickAt(
            [list, text](int32_t& x, int32_t& y)
            {
                const int32_t row = list->FindRow(text, 0);
                if (row < 0)
                    return false;
                const platform::Rect& rect = list->GetHitRect();
                x = rect.left + 20;
                y = rect.top;
                for (int32_t above = 0; above < row; ++above)
                    y += list->GetRowHeight(above);
                y += list->GetRowHeight(row) / 2;
                return true;
            });
    }

    HeadlessGame m_Game{RealGraphics()};
    EditorPropertiesWindow* m_Window = nullptr;
};

} // namespace

// A designer edits a sheet by mouse and keys alone: browses up and into another folder for a picture,
// picks list values (one filling another row), types a value, and confirms. Each row given a value comes
// back marked as set, the row left alone not.
TEST_F(EditorPropertiesRunTest, BrowsedPickedAndTypedValuesComeBackAfterOk)
{
    WritePicture("pictures/tiles/stone.bmp", false);
    WritePicture("pictures/photos/sunset.tga", true);
    m_Game.Install().Write("pictures/photos/car.KMF", "model");
    m_Game.Install().Write("lists/surfaces.xml",
                           "<surfaces><property value=\"Ice\"><set label=\"GRIP:\" value=\"0.1\"/>"
                           "</property><property value=\"Mud\"/></surfaces>");
    kaPropertyList list;
    kaPropertyRecord::Append(list, "Texture:", "pictures/tiles/stone.bmp").m_Browse = true;
    list.back()->m_Folder = "pictures/tiles/";
    kaPropertyRecord::Append(list, "Grip:", "0.9");
    kaPropertyRecord& types = kaPropertyRecord::Append(list, "Terrain Type:", "Rough");
    types.m_Kind = kaPropertyRecord::kFromListFile;
    types.m_ListFile = "InitData/TerrainTypes.xml";
    kaPropertyRecord& surface = kaPropertyRecord::Append(list, "Surface:", "Dirt");
    surface.m_Kind = kaPropertyRecord::kFromListFile;
    surface.m_ListFile = "lists/surfaces.xml";
    kaPropertyRecord::Append(list, "Name:", "Ramp");
    kaPropertyRecord::Append(list, "Note:", "Left");
    m_Window->SetTitle("Entity Properties");
    m_Window->SetPropertyList(list);

    // Typing waits for the box to lose the focus.
    m_Game.ClickWidget([this] { return m_Window->GetValueBox(4); });
    m_Game.PressKey(guiTextBox::kKeyEnd);
    m_Game.Type("Big");
    m_Game.Queue([this] { EXPECT_FALSE(m_Window->IsChanged()); });
    m_Game.ClickWidget(
        [this]
        {
            guiGlyph* label = m_Window->GetGrid()->GetCell(0, 0);
            return label != nullptr ? label->DynamicCast<guiWidget>() : nullptr;
        });
    m_Game.Queue([this] { EXPECT_TRUE(m_Window->IsChanged()); });

    // Up from the record's folder, into another, then a picture.
    ClickRowButton(0, "browse");
    ClickListRow(m_Window->GetBrowseList(), "..");
    m_Game.Click(EditorPropertiesWindow::kWindowName, "list select button");
    m_Game.Queue([this] { EXPECT_EQ(m_Window->GetBrowseFolder(), "pictures"); });
    ClickListRow(m_Window->GetBrowseList(), "/photos");
    m_Game.Click(EditorPropertiesWindow::kWindowName, "list select button");
    ClickListRow(m_Window->GetBrowseList(), "sunset.tga");
    bool shot = false;
    platform::FrameCapture frame;
    for (int i = 0; i < 2; ++i)
        m_Game.Queue([] {});
    m_Game.Queue(
        [&]
        {
            shot = m_Game.SaveCapture("editor_properties_browse");
            frame = m_Game.Capture();
        });
    m_Game.Click(EditorPropertiesWindow::kWindowName, "list select button");

    // Each list row offers its own file; a pick fills the row its value names.
    ClickRowButton(2, "xml");
    ClickListRow(m_Window->GetXmlList(), "Paved");
    m_Game.Click(EditorPropertiesWindow::kWindowName, "xml list select button");
    ClickRowButton(3, "xml");
    ClickListRow(m_Window->GetXmlList(), "Ice");
    m_Game.Click(EditorPropertiesWindow::kWindowName, "xml list select button");
    m_Game.Click(EditorPropertiesWindow::kWindowName, "ok");

    EXPECT_EQ(m_Game.Gui().ShowWindow(m_Window, true), 1);
    EXPECT_EQ(m_Game.PendingSteps(), 0u);
    const kaPropertyList back = m_Window->GetPropertyList();
    ASSERT_EQ(back.size(), 6u);
    const struct
    {
        const char* label;
        const char* value;
        const char* folder;
        bool set;
    } expected[] = {{"Texture:", "pictures/photos/sunset.tga", "pictures/tiles/", true},
                    {"Grip:", "0.1", "", true},
                    {"Terrain Type:", "Paved", "", true},
                    {"Surface:", "Ice", "", true},
                    {"Name:", "RampBig", "", true},
                    {"Note:", "Left", "", false}};
    for (size_t i = 0; i < back.size(); ++i)
    {
        EXPECT_EQ(back[i]->m_Label, expected[i].label);
        EXPECT_EQ(back[i]->m_Value, expected[i].value) << expected[i].label;
        EXPECT_EQ(back[i]->m_Folder, expected[i].folder) << expected[i].label;
        EXPECT_EQ(back[i]->m_Set, expected[i].set) << expected[i].label;
    }

    // The preview drew the picture: orange, not the empty white one.
    ASSERT_TRUE(shot);
    ASSERT_GT(frame.Width, 0u);
    EXPECT_TRUE(std::filesystem::exists(HeadlessGame::ScreenshotFolder() + "/editor_properties_browse.tga"));
    const platform::Rect area = m_Window->GetPreviewGroup()->GetHitRect();
    int orange = 0;
    int samples = 0;
    for (int y = area.top + 8; y < area.bottom - 8; y += 4)
        for (int x = area.left + 8; x < area.right - 8; x += 4, ++samples)
        {
            const testsupport::Rgb pixel = testsupport::FramePixel(frame, x, y);
            orange += pixel.r > 200 && pixel.g > 80 && pixel.g < 170 && pixel.b < 60 ? 1 : 0;
        }
    ASSERT_GT(samples, 100);
    EXPECT_GT(orange, samples * 9 / 10);
}
