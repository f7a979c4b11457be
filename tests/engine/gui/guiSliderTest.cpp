#include "engine/gui/guiSlider.h"

#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayout.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/GuiDesk.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/PixelCoords.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

using testsupport::Px;
using testsupport::Values;

namespace
{

// A horizontal slider of 100 by 10 at 100, 100 with a 10 by 10 thumb and a track from x 5 to x 95; the
// values it reports and the events it fires are logged.
class SliderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        guiWindow* window = m_Desk.AddWindow("w", 0, 0, 640, 480);
        guiImageParams thumb;
        thumb.size = Px(10, 10);
        m_Slider = new guiSlider(thumb, true);
        m_Slider->SetPosition(Px(100, 100));
        m_Slider->SetSize(Px(100, 10));
        m_Slider->SetTrack(Px(5, 0), Px(95, 0));
        m_Slider->SetOnChange(
            [this](float value)
            {
                m_Values.push_back(value);
                if (m_Follow)
                    m_Slider->SetValue(value, true);
                return true;
            });
        for (int32_t type : {gui::kEventSliderPressed, gui::kEventSliderReleased, gui::kEventMouseOver})
            m_Slider->AddHandler(type,
                                 [this](const guiMsgEvent& event)
                                 {
                                     ++m_Events[event.type];
                                     return true;
                                 });
        window->AddChild(m_Slider);
        m_Desk.Frame();
    }
    float ThumbX() const { return m_Slider->GetThumb()->GetPosition().x.value; }

    testsupport::GuiDesk m_Desk;
    guiSlider* m_Slider = nullptr;
    std::vector<float> m_Values;
    std::map<int32_t, int> m_Events;
    bool m_Follow = false;
};

TEST_F(SliderTest, SetValuePlacesTheThumbCentreAlongTheTrack)
{
    struct Case
    {
        float value;
        float x;
    } cases[] = {{0.5f, 45}, {1.5f, 90}, {-0.2f, 0}, {1.0f, 90}, {std::numeric_limits<float>::quiet_NaN(), 0},
                 {0.25f, 22}};
    for (const Case& c : cases)
    {
        m_Slider->SetValue(c.value, false);
        EXPECT_EQ(Values(m_Slider->GetThumb()->GetPosition()), std::make_pair(c.x, 0.0f)) << c.value;
    }
    // A relative track follows the slider's size.
    m_Slider->SetTrack(guiCoordPair::Relative(0.1f, 0.0f), guiCoordPair::Relative(0.9f, 0.0f));
    m_Slider->SetValue(1.0f, false);
    EXPECT_EQ(ThumbX(), 85.0f);
}

TEST_F(SliderTest, AClickOffTheThumbReportsTheValueThere)
{
    m_Slider->SetValue(1.0f, false);
    struct Case
    {
        int x;
        float value;
    } cases[] = {{102, 0.0f}, {150, 0.5f}, {177, 0.8f}, {105, 0.0f}};
    for (const Case& c : cases)
    {
        m_Values.clear();
        m_Desk.Click(c.x, 107);
        ASSERT_EQ(m_Values.size(), 1u) << c.x;
        EXPECT_NEAR(m_Values[0], c.value, 1e-6f) << c.x;
        EXPECT_FALSE(m_Slider->IsDragging());
    }
    // Past "To": the thumb is moved away so that the click lands on the bare track.
    m_Slider->SetValue(0.0f, false);
    m_Values.clear();
    m_Desk.Click(198, 103);
    ASSERT_EQ(m_Values.size(), 1u);
    EXPECT_EQ(m_Values[0], 1.0f);
    EXPECT_EQ(m_Events[gui::kEventSliderPressed], 5);
    EXPECT_EQ(m_Events[gui::kEventSliderReleased], 5);
}

TEST_F(SliderTest, DraggingUsesTheAxisAloneAndTheCursorFollowsAThumbThatIsPlaced)
{
    m_Follow = true;
    m_Slider->SetValue(0.5f, false);
    m_Desk.MoveTo(150, 105);
    m_Desk.Button(0, true);
    ASSERT_TRUE(m_Slider->IsDragging());
    m_Values.clear();
    const int before = m_Events[gui::kEventMouseOver];
    m_Desk.MoveTo(170, 108);
    ASSERT_EQ(m_Values.size(), 1u);
    EXPECT_NEAR(m_Values[0], 65.0f / 90.0f, 1e-6f);
    EXPECT_EQ(ThumbX(), 65.0f);
    EXPECT_EQ(Xy(m_Desk.manager.GetCursorPosition()), std::make_pair(170, 105));
    EXPECT_GT(m_Events[gui::kEventMouseOver], before);
    // Straight down: the value stays.
    m_Values.clear();
    m_Desk.MoveTo(170, 109);
    ASSERT_EQ(m_Values.size(), 1u);
    EXPECT_NEAR(m_Values[0], 65.0f / 90.0f, 1e-6f);
    // Far past the end: the thumb stops at "To" with the cursor on it.
    m_Values.clear();
    m_Desk.MoveTo(199, 105);
    ASSERT_FALSE(m_Values.empty());
    EXPECT_EQ(m_Values.back(), 1.0f);
    EXPECT_EQ(ThumbX(), 90.0f);
    EXPECT_EQ(m_Desk.manager.GetCursorPosition().x, 195);
    m_Desk.Button(0, false);
    EXPECT_FALSE(m_Slider->IsDragging());
    EXPECT_EQ(m_Events[gui::kEventSliderReleased], 1);
}

TEST_F(SliderTest, LeavingTheSliderEndsTheDrag)
{
    m_Slider->SetValue(0.0f, false);
    m_Desk.MoveTo(105, 105);
    m_Desk.Button(0, true);
    ASSERT_TRUE(m_Slider->IsDragging());
    m_Desk.MoveTo(400, 400);
    EXPECT_FALSE(m_Slider->IsDragging());
    m_Desk.Button(0, false);
}

TEST(Slider, WithoutAThumbOrATrackThereIsNothingToReport)
{
    testsupport::GuiDesk desk;
    guiWindow* window = desk.AddWindow("w", 0, 0, 640, 480);
    auto* bare = new guiSlider(Px(0, 0), Px(100, 20));
    bare->SetTrack(Px(0, 0), Px(100, 0));
    std::vector<float> values;
    bare->SetOnChange(
        [&values](float value)
        {
            values.push_back(value);
            return true;
        });
    window->AddChild(bare);
    desk.Frame();
    desk.MoveTo(50, 10);
    desk.Button(0, true);
    EXPECT_FALSE(bare->IsDragging());
    desk.MoveTo(60, 10);
    desk.Button(0, false);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(Xy(bare->GetThumbSize()), std::make_pair(0, 0));

    // A track of no length gives 0 wherever it is clicked.
    guiImageParams thumb;
    thumb.size = Px(4, 4);
    auto* point = new guiSlider(thumb, false);
    point->SetPosition(Px(200, 0));
    point->SetSize(Px(20, 100));
    point->SetTrack(Px(10, 50), Px(10, 50));
    EXPECT_EQ(point->ValueAt(kaPoint(10, 90)), 0.0f);
    point->SetOnChange(
        [&values](float value)
        {
            values.push_back(value);
            return true;
        });
    window->AddChild(point);
    desk.Frame();
    desk.Click(210, 80);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0], 0.0f);
}

TEST(Slider, WrittenReadAndWrittenAgainKeepsItsBytesAndItsThumb)
{
    testsupport::TempDir dir;
    guiImageParams thumb;
    thumb.size = Px(8, 8);
    guiSlider* slider = new guiSlider(thumb, false);
    slider->AddRef();
    slider->SetTrack(Px(0, 4), guiCoordPair::Relative(0.0f, 0.9f));
    const std::string text = gui::FormatLayout(*slider, false);
    EXPECT_NE(text.find("Horiz false\nFrom 0 0 4 0\nTo 0 1 0.9 1\nThumb true 0\n"), std::string::npos)
        << text;
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(*slider, binary, dir);
        ASSERT_NE(read, nullptr);
        guiSlider* copy = read->DynamicCast<guiSlider>();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetThumb(), copy->GetChild(0));
        EXPECT_FALSE(copy->IsHorizontal());
        EXPECT_EQ(gui::FormatLayout(*copy, binary), gui::FormatLayout(*slider, binary));
        read->Release();
    }
    // A thumb reference to nothing, or to a glyph that is no image, is no thumb.
    slider->AddChild(new guiSlider(Px(0, 0), Px(1, 1)));
    const std::string two = gui::FormatLayout(*slider, false);
    for (const char* bad : {"Thumb true 1\n", "Thumb true 5\n", "Thumb true -4\n"})
    {
        std::string changed = two;
        changed.replace(changed.find("Thumb true 0\n"), 13, bad);
        guiGlyph* read = gui::LoadLayout(dir.Write("bad.kab", changed));
        ASSERT_NE(read, nullptr) << bad;
        EXPECT_EQ(read->DynamicCast<guiSlider>()->GetThumb(), nullptr) << bad;
        read->DynamicCast<guiSlider>()->SetValue(0.5f, true);
        read->Release();
    }
    slider->Release();
}

TEST(Slider, ThePropertySheetLoadsANewThumbAndSetsTheTrack)
{
    guiSlider* slider = new guiSlider(Px(0, 0), Px(100, 10));
    slider->AddRef();
    GuiParamTable sheet(16);
    slider->GetProperties(sheet);
    std::vector<std::string> names;
    for (const GuiParamTable::Entry* entry : sheet.GetEntries())
        names.push_back(entry->name);
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
              (std::vector<std::string>{"LoadImage", "To", "From", "Horizontal"}));
    GuiParamTable change(16);
    change.Insert("LoadImage", "thumb.bmp\n*.bmp; *.tga\n", ka::any());
    change.Insert("To", "50 0 1 0", ka::any());
    change.Insert("From", "bad", ka::any());
    change.Insert("Horizontal", "0", ka::any());
    slider->SetProperties(change);
    ASSERT_NE(slider->GetThumb(), nullptr);
    EXPECT_EQ(slider->GetThumb()->GetFilename(), "thumb.bmp");
    EXPECT_EQ(slider->GetChildCount(), 1);
    EXPECT_EQ(Values(slider->GetTo()), std::make_pair(50.0f, 1.0f));
    EXPECT_EQ(Values(slider->GetFrom()), std::make_pair(0.0f, 0.0f));
    EXPECT_FALSE(slider->IsHorizontal());
    GuiParamTable again(16);
    again.Insert("LoadImage", "other.bmp\n*.bmp; *.tga\n", ka::any());
    slider->SetProperties(again);
    EXPECT_EQ(slider->GetThumb()->GetFilename(), "other.bmp");
    EXPECT_EQ(slider->GetChildCount(), 1);
    slider->Release();
}

} // namespace
