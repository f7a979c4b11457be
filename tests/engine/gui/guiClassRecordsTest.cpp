#include "engine/gui/guiClassRecords.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/core/kaClassInfo.h"
#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiWidgetFactoryFor.h"
#include "tests/support/engine/gui/TestLabel.h"

#include <gtest/gtest.h>

#include <sstream>

namespace
{

// A glyph that answers with any record, to test casts between classes not built here.
class RecordGlyph : public guiGlyph
{
public:
    explicit RecordGlyph(uint32_t id) : m_Record(gui::GetClassRecord(id)) {}
    const kaClassInfo& GetClassInfo() const override { return *m_Record; }
    bool HitTest(const kaPoint&, guiGlyph*&) override { return false; }

private:
    const kaClassInfo* m_Record;
};

// Two classes registered under one id and one name: the first registration made stays.
template <int Tag> class Twin : public TestPanel
{
public:
    static const kaClassInfo& StaticClassInfo()
    {
        static const kaClassInfo record("[Twin]", 1100, &TestPanel::StaticClassInfo());
        return record;
    }
    Twin(const guiCoordPair&, const guiCoordPair&) { weight = Tag; }
    explicit Twin(std::istream&) { weight = Tag; }
    explicit Twin(kaBinaryStream&) { weight = Tag; }
};

// Constructed in this order within one source file.
const guiWidgetFactoryFor<Twin<1>> s_FirstTwin;
const guiWidgetFactoryFor<Twin<2>> s_SecondTwin;

} // namespace

TEST(guiClassRecords, TheTableOfRecords)
{
    const struct
    {
        const char* name;
        uint32_t id;
        int parent; // -1 for none
    } expected[] = {
        {"[Glyph]", 0, -1},      {"[Image]", 1, 0},         {"[Background]", 2, 17},   {"[Border]", 3, 17},
        {"[Cursor]", 4, 16},     {"[DisplayBox]", 5, 18},   {"[TextBox]", 6, 16},      {"[Grid]", 7, 18},
        {"[ScrollBar]", 8, 16},  {"[Button]", 9, 16},       {"[Window]", 10, 16},      {"[Slider]", 12, 16},
        {"[DropDown]", 13, 16},  {"[Lines]", 14, 0},        {"[ListBox]", 15, 7},      {"[Widget]", 16, 0},
        {"[Decorator]", 17, 16}, {"[Scrollable]", 18, 16},  {"[Caption]", 19, 17},     {"[Text]", 20, 0},
        {"[Group]", 21, 16},     {"[SplitFrame]", 22, 16},  {"[CheckBox]", 23, 9},     {"[TreeView]", 24, 7},
        {"[Proxy]", 25, 0},      {"[Placeholder]", 26, 16}, {"[OptionGroup]", 27, 16}, {"[Scroller]", 28, 17},
        {"[Rectangle]", 29, 0},
    };
    const auto& records = gui::GetClassRecords();
    ASSERT_EQ(records.size(), 29u);
    for (std::size_t i = 0; i < records.size(); ++i)
    {
        const auto& row = expected[i];
        ASSERT_EQ(records[i], gui::GetClassRecord(row.id));
        EXPECT_EQ(records[i]->GetName(), row.name);
        EXPECT_EQ(records[i]->GetId(), row.id);
        EXPECT_EQ(records[i]->GetParent(), row.parent < 0 ? nullptr : gui::GetClassRecord(row.parent))
            << row.name;
    }
    EXPECT_EQ(gui::GetClassRecord(11), nullptr);
    EXPECT_EQ(gui::GetClassRecord(30), nullptr);
}

TEST(guiClassRecords, AbstractClassesAndIdElevenCreateNothing)
{
    for (const char* name : {"[Glyph]", "[Widget]", "[Scrollable]", "[Decorator]"})
    {
        std::istringstream text(std::string(name) + "\nName x\n");
        EXPECT_EQ(CreateWidgetFromText(text), nullptr) << name;
        std::string next;
        text >> next;
        EXPECT_EQ(next, "Name") << "only the class name is consumed";
    }
    for (uint32_t id : {0u, 11u, 16u, 17u, 18u})
    {
        std::stringstream bytes;
        kaBinaryStream stream(bytes.rdbuf());
        stream.WriteUInt32(id).WriteUInt32(77);
        EXPECT_EQ(CreateWidgetFromBinary(stream), nullptr) << id;
        uint32_t next = 0;
        stream.ReadUInt32(next);
        EXPECT_EQ(next, 77u) << "only the id is consumed";
    }
}

TEST(guiClassRecords, CastsFollowTheParentChain)
{
    RecordGlyph checkBox(gui::kCheckBoxClass);
    RecordGlyph button(gui::kButtonClass);
    const kaClassInfo& buttonRecord = *gui::GetClassRecord(gui::kButtonClass);
    const kaClassInfo& checkBoxRecord = *gui::GetClassRecord(gui::kCheckBoxClass);
    EXPECT_EQ(checkBox.DynamicCast(buttonRecord), &checkBox);
    EXPECT_EQ(checkBox.DynamicCast(*gui::GetClassRecord(gui::kWidgetClass)), &checkBox);
    EXPECT_EQ(checkBox.DynamicCast(guiGlyph::StaticClassInfo()), &checkBox);
    EXPECT_EQ(button.DynamicCast(checkBoxRecord), nullptr);
    EXPECT_EQ(button.DynamicCast(*gui::GetClassRecord(gui::kWindowClass)), nullptr);

    guiGlyph* out = &button;
    EXPECT_FALSE(button.QueryClass(checkBoxRecord, out));
    EXPECT_EQ(out, &button) << "a failed query leaves the out pointer";
    TestLabel label;
    EXPECT_EQ(label.DynamicCast<TestPanel>(), &label);
    TestPanel panel;
    EXPECT_EQ(panel.DynamicCast<TestLabel>(), nullptr);
}

TEST(guiClassRecords, TheFirstRegistrationOfAKeyStays)
{
    EXPECT_EQ(GetWidgetFactoriesById().at(1100), &s_FirstTwin);
    EXPECT_EQ(GetWidgetFactoriesByName().at("[Twin]"), &s_FirstTwin);
    std::istringstream text("[Twin]\n");
    guiGlyph* made = CreateWidgetFromText(text);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(static_cast<TestPanel*>(made)->weight, 1.0f);
    made->Release();
}
