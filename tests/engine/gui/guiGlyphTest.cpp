#include "engine/gui/guiGlyph.h"

#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiClipStack.h"
#include "engine/gui/guiOriginStack.h"
#include "engine/gui/guiRenderContext.h"
#include "engine/gui/guiWindow.h"
#include "tests/support/engine/gui/TestPanel.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

namespace
{

using Sides = std::tuple<int, int, int, int>;

Sides SidesOf(const platform::Rect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

// What a glyph saw when the walk reached it, and which glyphs a window was handed for its hit list.
struct Seen
{
    std::string name;
    kaPoint drawingOrigin;
    kaPoint originTop;
    Sides clip;
};

std::vector<Seen> g_Seen;
std::vector<std::string> g_HitList;
std::vector<const guiGlyph*> g_Forgotten;
int g_Destroyed = 0;

class Probe : public TestPanel
{
public:
    explicit Probe(const std::string& name, guiCoordPair position = {}, guiCoordPair size = {})
    {
        SetName(name);
        SetPosition(position);
        SetSize(size);
    }
    ~Probe() override { ++g_Destroyed; }

    bool PreRender(guiRenderContext& context) override
    {
        g_Seen.push_back(
            {GetName(), GetDrawingOrigin(), guiOriginStack::Get().Top(), SidesOf(guiClipStack::Get().Top())});
        return TestPanel::PreRender(context);
    }
};

// A window that records its walk like a probe and tells what it is given to list and to forget.
class ProbeWindow : public guiWindow
{
public:
    explicit ProbeWindow(const std::string& name)
        : guiWindow(name, guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(0, 0), 0)
    {
    }
    bool PreRender(guiRenderContext& context) override
    {
        g_Seen.push_back(
            {GetName(), GetDrawingOrigin(), guiOriginStack::Get().Top(), SidesOf(guiClipStack::Get().Top())});
        return guiWindow::PreRender(context);
    }
    void AddToHitList(guiGlyph* glyph) override { g_HitList.push_back(glyph->GetName()); }
    void ForgetWidget(guiGlyph* glyph) override { g_Forgotten.push_back(glyph); }
};

// Adds a new probe to a parent and answers it; the parent's reference is the only one.
Probe* Add(guiGlyph* parent, const std::string& name, guiCoordPair position = {}, guiCoordPair size = {})
{
    Probe* child = new Probe(name, position, size);
    parent->AddChild(child);
    return child;
}

class GlyphTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        g_Seen.clear();
        g_HitList.clear();
        g_Forgotten.clear();
        g_Destroyed = 0;
        ASSERT_TRUE(Start("[Begin Graphics Config]\nFSDisplayWidth=1024\nFSDisplayHeight=768\n"
                          "[End Graphics Config]\n"));
        ASSERT_EQ(m_Manager->GetPresentParameters().BackBufferWidth, 1024u);
    }

    void Walk(guiGlyph* root)
    {
        const std::size_t origins = guiOriginStack::Get().Depth();
        const std::size_t clips = guiClipStack::Get().Depth();
        guiRenderContext context;
        DrawTree(root, context);
        EXPECT_EQ(guiOriginStack::Get().Depth(), origins);
        EXPECT_EQ(guiClipStack::Get().Depth(), clips);
    }

    const Seen& SeenOf(const std::string& name)
    {
        for (const Seen& seen : g_Seen)
            if (seen.name == name)
                return seen;
        ADD_FAILURE() << name << " was not drawn";
        static const Seen none{};
        return none;
    }
};

std::tuple<int, int> XY(const kaPoint& p)
{
    return {p.x, p.y};
}

} // namespace

TEST_F(GlyphTest, RelativeSizesReferToTheBackBufferOrTheReferenceChain)
{
    Probe root("root", {}, guiCoordPair::Relative(0.5f, 0.5f));
    EXPECT_EQ(XY(root.GetPixelSize()), std::make_tuple(512, 384));
    // Nothing is cached down the chain until a walk: each level converts its reference's size.
    Probe* child = new Probe("child");
    Probe* grandchild = new Probe("grandchild");
    root.AddChild(child);
    child->AddChild(grandchild);
    child->SetSize(guiCoordPair::Relative(0.5f, 0.25f));
    grandchild->SetSize(guiCoordPair::Relative(0.5f, -0.5f));
    EXPECT_EQ(XY(grandchild->GetPixelSize()), std::make_tuple(128, -48));
    Walk(&root);
    EXPECT_EQ(XY(child->GetPixelSize()), std::make_tuple(256, 96));
    EXPECT_EQ(XY(grandchild->GetPixelSize()), std::make_tuple(128, -48));

    grandchild->SetPosition({guiCoord::Relative(0.999f), guiCoord::Pixels(-7.9f)});
    EXPECT_EQ(XY(grandchild->GetPixelPosition()), std::make_tuple(255, -7));
}

TEST(GlyphCoordinates, FloatsTruncateTowardZeroAndSaturate)
{
    const float inf = std::numeric_limits<float>::infinity();
    const struct
    {
        float value;
        int32_t pixels;
    } cases[] = {
        {2.9f, 2},
        {-2.9f, -2},
        {-0.5f, 0},
        {std::nanf(""), 0},
        {3e9f, std::numeric_limits<int32_t>::max()},
        {-3e9f, std::numeric_limits<int32_t>::min()},
        {inf, std::numeric_limits<int32_t>::max()},
        {-inf, std::numeric_limits<int32_t>::min()},
        {2147483520.0f, 2147483520}, // the largest float below 2^31
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(gui::TruncateToInt(c.value), c.pixels) << c.value;
        EXPECT_EQ(guiCoord::Pixels(c.value).ToPixels(0.0f), c.pixels) << c.value;
    }
    EXPECT_EQ(guiCoord::Relative(-0.5f).ToPixels(101.0f), -50);
    EXPECT_EQ(guiCoord::Relative(1e30f).ToPixels(800.0f), std::numeric_limits<int32_t>::max());
}

TEST(GlyphTree, ChildOrderLayersAndOwnerWindow)
{
    // The other window outlives the first, whose tree holds glyphs of the other.
    ProbeWindow other("other window");
    ProbeWindow window("window");
    Probe* panel = Add(&window, "panel");
    Probe* second = new Probe("second");
    second->SetChildOrder(7);
    window.AddChild(second);
    Probe* third = Add(&window, "third");
    EXPECT_EQ(panel->GetChildOrder(), 0);
    EXPECT_EQ(second->GetChildOrder(), 7);
    EXPECT_EQ(third->GetChildOrder(), 2);

    // A subtree built apart takes the window and the layers of the place it is added to.
    Probe* group = new Probe("group");
    Probe* leaf = Add(group, "leaf");
    EXPECT_EQ(leaf->GetOwnerWindow(), nullptr);
    panel->AddChild(group, &other);
    EXPECT_EQ(group->GetOwnerWindow(), &other);
    EXPECT_EQ(leaf->GetOwnerWindow(), &other);
    EXPECT_EQ(std::make_tuple(panel->GetLayer(), group->GetLayer(), leaf->GetLayer()),
              std::make_tuple(1, 2, 3));
    EXPECT_EQ(leaf->GetTag(), group);

    Probe* late = Add(leaf, "late");
    EXPECT_EQ(late->GetOwnerWindow(), &other) << "a child joins its parent's window";
    EXPECT_EQ(late->GetLayer(), 4);
}

TEST(GlyphTree, ShowingShowsAncestorsAndHidingHidesOnlyTheGlyph)
{
    Probe root("root");
    Probe* a = Add(&root, "a");
    Probe* b = Add(a, "b");
    Probe* c = Add(b, "c");
    root.SetVisible(false);
    a->SetVisible(false);
    b->SetVisible(false);
    c->SetVisible(false);
    c->SetVisible(true);
    EXPECT_TRUE(root.IsVisible() && a->IsVisible() && b->IsVisible() && c->IsVisible());
    b->SetVisible(false);
    EXPECT_TRUE(root.IsVisible() && a->IsVisible() && c->IsVisible());
    EXPECT_FALSE(b->IsVisible());
}

// Counts the calls that reach it, so a test sees whether a child passed a show on.
class VisibilityProbe : public Probe
{
public:
    using Probe::Probe;
    void SetVisible(bool visible) override
    {
        ++calls;
        Probe::SetVisible(visible);
    }
    int calls = 0;
};

TEST(GlyphTree, OnlyAChangeToShownReachesTheParent)
{
    struct Case
    {
        const char* what;
        bool childBefore;
        bool value;
        bool parentBefore;
        bool parentAfter;
        bool grandparentAfter;
        int parentCalls;
    };
    // The grandparent starts hidden in every row.
    const Case cases[] = {
        {"shown, hidden parent", false, true, false, true, true, 1},
        {"shown, shown parent", false, true, true, true, false, 1},
        {"shown again, hidden parent", true, true, false, false, false, 0},
        {"shown again, shown parent", true, true, true, true, false, 0},
        {"hidden, hidden parent", true, false, false, false, false, 0},
        {"hidden, shown parent", true, false, true, true, false, 0},
        {"hidden again, hidden parent", false, false, false, false, false, 0},
    };
    for (const Case& c : cases)
    {
        VisibilityProbe grandparent("grandparent");
        auto* parent = new VisibilityProbe("parent");
        grandparent.AddChild(parent);
        Probe* child = Add(parent, "child");
        grandparent.SetVisible(false);
        parent->SetVisible(c.parentBefore);
        child->SetVisible(c.childBefore);
        parent->calls = 0;
        grandparent.calls = 0;

        child->SetVisible(c.value);
        EXPECT_EQ(child->IsVisible(), c.value) << c.what;
        EXPECT_EQ(parent->IsVisible(), c.parentAfter) << c.what;
        EXPECT_EQ(grandparent.IsVisible(), c.grandparentAfter) << c.what;
        EXPECT_EQ(parent->calls, c.parentCalls) << c.what;
        EXPECT_EQ(grandparent.calls, c.parentCalls == 1 && !c.parentBefore ? 1 : 0) << c.what;
    }
}

TEST(GlyphTree, FindingIgnoresCaseAndSearchesDepthFirst)
{
    Probe root("root");
    Probe* list = Add(&root, "list");
    Probe* ok = Add(list, "ok button");
    Probe* later = Add(&root, "Ok Button");
    ok->SetId(5);
    later->SetId(5);
    EXPECT_EQ(root.FindChild("OK BUTTON"), ok);
    EXPECT_EQ(root.FindChild("ROOT"), &root);
    EXPECT_EQ(root.FindChild("ok"), nullptr);
    EXPECT_EQ(root.FindChildById(5), ok);
    EXPECT_EQ(root.FindChildById(6), nullptr);
}

TEST(GlyphTree, RemovingAnswersTheRemainingCount)
{
    g_Destroyed = 0;
    g_Forgotten.clear();
    ProbeWindow window("window");
    window.SetOwnerWindow(&window);
    Probe stranger("stranger");
    Probe* kept = Add(&window, "kept");
    Probe* dropped = Add(&window, "dropped");
    Probe* last = Add(&window, "last");
    EXPECT_EQ(window.RemoveChild(&stranger), -1);

    kept->AddRef();
    EXPECT_EQ(window.RemoveChild(kept), 1);
    EXPECT_EQ(kept->GetParent(), nullptr);
    EXPECT_EQ(kept->GetOwnerWindow(), nullptr);
    EXPECT_EQ(window.GetChild(0), dropped) << "later children move up";
    EXPECT_EQ(window.GetChild(2), nullptr);
    EXPECT_EQ(window.IndexOfChild(last), 1);

    EXPECT_EQ(window.RemoveChild(dropped), 0);
    EXPECT_EQ(g_Forgotten, std::vector<const guiGlyph*>{dropped});
    EXPECT_EQ(g_Destroyed, 1);
    kept->Release();
    EXPECT_EQ(g_Destroyed, 2);
}

TEST(GlyphTree, DestroyingARootReleasesItsTree)
{
    g_Destroyed = 0;
    Probe* root = new Probe("root");
    Add(Add(Add(root, "a"), "b"), "c");
    Probe* shared = Add(root, "shared");
    shared->AddRef();
    root->Release();
    EXPECT_EQ(g_Destroyed, 4);
    EXPECT_EQ(shared->GetParent(), nullptr);
    shared->Release();
    EXPECT_EQ(g_Destroyed, 5);
}

TEST_F(GlyphTest, TheWalkMovesOriginsAndClips)
{
    Probe root("root", guiCoordPair::Pixels(100, 50), guiCoordPair::Pixels(200, 100));
    Probe* still = Add(&root, "still", guiCoordPair::Pixels(10, 10), guiCoordPair::Pixels(20, 20));
    still->SetMovesOrigin(false);
    Add(still, "inner", guiCoordPair::Pixels(1, 2));
    Probe* self = Add(&root, "self", guiCoordPair::Pixels(0, 0), guiCoordPair::Relative(1, 1));
    self->SetClipMode(guiGlyph::kClipToSelf);
    Probe* toParent = Add(self, "to parent", guiCoordPair::Pixels(150, 80), guiCoordPair::Pixels(100, 100));
    toParent->SetClipMode(guiGlyph::kClipToParent);
    Probe* toSelf = Add(self, "to self", guiCoordPair::Pixels(150, 80), guiCoordPair::Pixels(100, 100));
    toSelf->SetClipMode(guiGlyph::kClipToSelf);
    Add(toParent, "under", guiCoordPair::Pixels(-500, -500));
    Walk(&root);

    const struct
    {
        const char* name;
        std::tuple<int, int> drawingOrigin;
        std::tuple<int, int> originTop;
        Sides clip;
    } expected[] = {
        {"root", {0, 0}, {100, 50}, {0, 0, 2048, 1536}},
        {"still", {100, 50}, {100, 50}, {0, 0, 2048, 1536}},
        {"inner", {100, 50}, {101, 52}, {0, 0, 2048, 1536}},
        {"self", {100, 50}, {100, 50}, {100, 50, 300, 150}},
        {"to parent", {100, 50}, {250, 130}, {250, 130, 300, 150}},
        {"under", {250, 130}, {-250, -370}, {250, 130, 300, 150}},
        {"to self", {100, 50}, {250, 130}, {250, 130, 350, 230}},
    };
    ASSERT_EQ(g_Seen.size(), std::size(expected));
    for (std::size_t i = 0; i < g_Seen.size(); ++i)
    {
        EXPECT_EQ(g_Seen[i].name, expected[i].name);
        EXPECT_EQ(XY(g_Seen[i].drawingOrigin), expected[i].drawingOrigin) << expected[i].name;
        EXPECT_EQ(XY(g_Seen[i].originTop), expected[i].originTop) << expected[i].name;
        EXPECT_EQ(g_Seen[i].clip, expected[i].clip) << expected[i].name;
    }
    EXPECT_FALSE(root.IsDirty() || toSelf->IsDirty());
}

TEST_F(GlyphTest, TheWalkSkipsHiddenSubtreesAndFillsTheHitList)
{
    ProbeWindow window("window");
    window.SetOwnerWindow(&window);
    Probe* shown = Add(&window, "shown");
    Add(shown, "nested");
    Probe* hidden = Add(&window, "hidden");
    Add(hidden, "under hidden");
    hidden->SetVisible(false);
    Add(&window, "not listed")->SetInHitList(false);
    Add(&window, "excluded")->SetExcludedFromHitList(true);
    Walk(&window);

    std::vector<std::string> drawn;
    for (const Seen& seen : g_Seen)
        drawn.push_back(seen.name);
    EXPECT_EQ(drawn, (std::vector<std::string>{"window", "shown", "nested", "not listed", "excluded"}));
    EXPECT_EQ(g_HitList, (std::vector<std::string>{"shown", "nested"}));
}

TEST_F(GlyphTest, PropertiesInTheirOrderWithTheirTexts)
{
    Probe glyph("ok button", {guiCoord::Relative(0.5f), guiCoord::Pixels(20)}, guiCoordPair::Pixels(64, 32));
    glyph.SetClipMode(guiGlyph::kClipToSelf);
    GuiParamTable sheet(7);
    glyph.GetProperties(sheet);
    const struct
    {
        const char* name;
        const char* text;
    } expected[] = {
        {"ClipMode", "2"},     {"ChildOrder", "-1"},       {"Layer", "0"},        {"Visible", "1"},
        {"Size", "64 0 32 0"}, {"Position", "0.5 1 20 0"}, {"Name", "ok button"},
    };
    const auto entries = sheet.GetEntries();
    ASSERT_EQ(entries.size(), std::size(expected));
    for (std::size_t i = 0; i < entries.size(); ++i)
    {
        EXPECT_EQ(entries[i]->name, expected[i].name);
        EXPECT_EQ(entries[i]->text, expected[i].text) << expected[i].name;
    }
    const auto* clip = ka::any_cast<guiEnumValue>(&sheet.Find("ClipMode")->value);
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->choices,
              (std::vector<std::pair<std::string, int32_t>>{{"None", 0}, {"To Parent", 1}, {"To Self", 2}}));
}

TEST_F(GlyphTest, SetPropertiesAppliesWhatParses)
{
    const guiCoordPair start = guiCoordPair::Pixels(30, 40);
    const struct
    {
        const char* size;
        bool withChild;
        guiCoordPair expected;
    } cases[] = {
        {"0", false, guiCoordPair::Pixels(0, 0)},
        {"1", false, guiCoordPair::Relative(1, 1)},
        {"x", true, guiCoordPair::Pixels(11, 12)},
        {"x", false, start}, // read as a coordinate pair, which it is not
        {"0.25 1 9 0", false, {guiCoord::Relative(0.25f), guiCoord::Pixels(9)}},
        {"5 0 nine 0", false, start},
    };
    for (const auto& c : cases)
    {
        Probe glyph("glyph", {}, start);
        if (c.withChild)
            Add(&glyph, "child", {}, guiCoordPair::Pixels(11, 12));
        GuiParamTable sheet(3);
        sheet.Insert("Size", c.size, {});
        glyph.SetProperties(sheet);
        EXPECT_EQ(glyph.GetSize(), c.expected) << c.size << (c.withChild ? " with a child" : "");
    }

    Probe glyph("old name", guiCoordPair::Pixels(1, 2));
    Probe* child = Add(&glyph, "child");
    glyph.SetVisible(false);
    GuiParamTable sheet(5);
    sheet.Insert("Name", "new name", {});
    sheet.Insert("ClipMode", "To Self", {}); // not a number: unchanged
    sheet.Insert("Position", "3 0 4", {});   // three numbers: unchanged
    sheet.Insert("Layer", "3", {});
    sheet.Insert("ChildOrder", "9", {});
    sheet.Insert("Visible", "1", {});
    glyph.SetProperties(sheet);
    EXPECT_EQ(glyph.GetName(), "old name");
    EXPECT_EQ(glyph.GetClipMode(), guiGlyph::kClipNone);
    EXPECT_EQ(glyph.GetPosition(), guiCoordPair::Pixels(1, 2));
    EXPECT_EQ(child->GetLayer(), 4);
    EXPECT_EQ(glyph.GetChildOrder(), 9);
    EXPECT_TRUE(glyph.IsVisible());

    // A child read as visible, which it already is, leaves a hidden parent hidden.
    glyph.SetVisible(false);
    GuiParamTable childSheet(1);
    childSheet.Insert("Visible", "1", {});
    child->SetProperties(childSheet);
    EXPECT_TRUE(child->IsVisible());
    EXPECT_FALSE(glyph.IsVisible());
}
