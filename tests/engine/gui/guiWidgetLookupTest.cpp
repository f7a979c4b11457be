#include "engine/gui/guiWidgetLookup.h"

#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiTextBoxParams.h"
#include "engine/gui/guiWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace
{

class guiWidgetLookupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        guiTextBoxParams field;
        field.name = "filename";
        m_Field = new guiTextBox(field);
        m_Window->AddChild(m_Field);
        m_Picture = new guiImage(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(10, 10));
        m_Picture->SetName("background image");
        m_Window->AddChild(m_Picture);
    }
    void TearDown() override
    {
        guiWidgetLookup::SetWatcher(nullptr);
        m_Window->Release();
    }

    guiWindow* m_Window = new guiWindow(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(100, 100));
    guiTextBox* m_Field = nullptr;
    guiImage* m_Picture = nullptr;
};

} // namespace

TEST_F(guiWidgetLookupTest, FindsByNameWithoutCaseOnlyWhenTheClassMatches)
{
    const struct
    {
        const char* name;
        const kaClassInfo& record;
        guiGlyph* expected;
    } cases[] = {
        {"filename", guiTextBox::StaticClassInfo(), m_Field},
        {"FileName", guiTextBox::StaticClassInfo(), m_Field},
        {"filename", guiListBox::StaticClassInfo(), nullptr},
        {"background image", guiImage::StaticClassInfo(), m_Picture},
        {"background image", guiTextBox::StaticClassInfo(), nullptr},
        {"missing", guiTextBox::StaticClassInfo(), nullptr},
    };
    for (const auto& c : cases)
        EXPECT_EQ(guiWidgetLookup::Find(*m_Window, c.name, c.record), c.expected) << c.name;
    EXPECT_EQ(guiWidgetLookup::Find<guiTextBox>(*m_Window, "filename"), m_Field);
}

TEST_F(guiWidgetLookupTest, TheWatcherSeesEveryLookupFoundOrNotUntilItIsCleared)
{
    std::vector<std::pair<std::string, const kaClassInfo*>> seen;
    guiWidgetLookup::SetWatcher(
        [&seen](const std::string& name, const kaClassInfo& record) {
            seen.push_back({name, &record});
        });
    guiWidgetLookup::Find<guiTextBox>(*m_Window, "filename");
    guiWidgetLookup::Find<guiListBox>(*m_Window, "file list");
    guiWidgetLookup::SetWatcher(nullptr);
    guiWidgetLookup::Find<guiImage>(*m_Window, "background image");
    const std::vector<std::pair<std::string, const kaClassInfo*>> expected = {
        {"filename", &guiTextBox::StaticClassInfo()},
        {"file list", &guiListBox::StaticClassInfo()},
    };
    EXPECT_EQ(seen, expected);
}
