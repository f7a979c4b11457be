#include "engine/gui/guiColorEffect.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiWindowEffect.h"
#include "tests/support/engine/gui/GuiDesk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::GuiDesk;

namespace
{

guiImage* NewImage()
{
    guiImageParams params;
    params.size = guiCoordPair::Pixels(10, 10);
    auto* image = new guiImage(params);
    image->AddRef();
    return image;
}

TEST(Effects, ThresholdsPassOnlyWhenStrictlyExceeded)
{
    guiImage* image = NewImage();
    guiWidgetEffect visibility(image);
    EXPECT_TRUE(visibility.IsFinished()) << "nothing asked for";
    visibility.SetDelayedVisibility(false, 0.5f);
    const struct
    {
        float dt;
        bool visible;
        bool finished;
    } steps[] = {{0.25f, true, false}, {0.25f, true, false}, {0.25f, false, true}};
    for (const auto& step : steps)
    {
        visibility.Update(step.dt);
        EXPECT_EQ(image->IsVisible(), step.visible) << visibility.GetElapsed();
        EXPECT_EQ(visibility.IsFinished(), step.finished) << visibility.GetElapsed();
    }
    image->Release();
}

TEST(Effects, ColourFadesFromItsStartTime)
{
    struct Case
    {
        float start, duration, elapsed;
        float alpha;
        bool finished;
    };
    const Case cases[] = {
        {0.5f, 1.0f, 0.25f, 0.3f, false}, // before the start the image keeps its colour
        {0.5f, 1.0f, 0.5f, 0.0f, false},  // at the start: the from colour
        {0.5f, 1.0f, 1.0f, 0.5f, false},  {0.5f, 1.0f, 1.5f, 1.0f, false},
        {0.5f, 1.0f, 2.0f, 1.0f, true},   {0.5f, 0.0f, 0.5f, 1.0f, false}, // an empty fade is a step
        {0.5f, 0.0f, 0.75f, 1.0f, true},
    };
    for (const Case& c : cases)
    {
        guiImage* image = NewImage();
        image->SetColor(0.3f, 0.3f, 0.3f, 0.3f);
        guiColorEffect fade(image);
        fade.SetColorFade(kaColor::kaColorClamped(0, 0, 0, 0), kaColor::kaColorClamped(1, 0, 0, 1), c.start,
                          c.duration);
        fade.Update(c.elapsed);
        EXPECT_FLOAT_EQ(image->GetColor().a, c.alpha) << c.start << " " << c.duration << " " << c.elapsed;
        EXPECT_EQ(fade.IsFinished(), c.finished) << c.start << " " << c.duration << " " << c.elapsed;
        image->Release();
    }
}

// Counts how often the window is shown.
class CountingWindow : public guiWindow
{
public:
    CountingWindow() : guiWindow(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(50, 50)) {}
    void OnShow() override { ++shows; }
    int shows = 0;
};

class Switch : public ::testing::Test
{
protected:
    void SetUp() override
    {
        desk.manager.CreateCursor();
        from = desk.AddWindow("from", 0, 0, 50, 50);
        to = new CountingWindow;
        desk.manager.AddWindow(to);
        desk.manager.ActivateWindow(from);
        to->shows = 0;
        desk.manager.SwitchWindow(to, from, 8, true);
    }

    float Alpha() const
    {
        guiImage* overlay = desk.manager.GetFadeOverlay();
        return overlay->IsVisible() ? overlay->GetColor().a : -1.0f;
    }

    GuiDesk desk;
    guiWindow* from = nullptr;
    CountingWindow* to = nullptr;
};

TEST_F(Switch, FadesThroughBlackAndSwapsTheWindowsOnceHalfWay)
{
    EXPECT_FALSE(to->IsVisible()) << "the new window waits";
    const struct
    {
        float clock;
        float alpha;
        bool swapped;
    } steps[] = {{0.1f, 0.5f, false}, {0.2f, 1.0f, false}, {0.25f, 0.75f, true},
                 {0.3f, 0.5f, true},  {0.4f, 0.0f, true},  {0.45f, -1.0f, true}};
    float clock = 0.0f;
    for (const auto& step : steps)
    {
        desk.Frame(step.clock - clock);
        clock = step.clock;
        EXPECT_NEAR(Alpha(), step.alpha, 1e-4f) << clock;
        EXPECT_EQ(to->IsVisible(), step.swapped) << clock;
        EXPECT_EQ(from->IsVisible(), !step.swapped) << clock;
    }
    EXPECT_EQ(to->shows, 1);
    EXPECT_EQ(desk.manager.GetActiveWindow(), to);
    EXPECT_EQ(desk.manager.GetEffectCount(), 0u);
}

TEST_F(Switch, OneFramePastEveryThresholdActsOnceInListOrder)
{
    desk.Frame(1.0f);
    EXPECT_EQ(Alpha(), -1.0f);
    EXPECT_FLOAT_EQ(desk.manager.GetFadeOverlay()->GetColor().a, 0.0f) << "the fade-out came last";
    EXPECT_FALSE(from->IsVisible());
    EXPECT_TRUE(to->IsVisible());
    EXPECT_EQ(to->shows, 1);
    EXPECT_EQ(desk.manager.GetEffectCount(), 0u);
    desk.Frame(1.0f);
    EXPECT_EQ(to->shows, 1);
}

TEST(Effects, AnActivationAloneFinishesOnceItsTimeIsPassed)
{
    GuiDesk desk;
    guiWindow* window = desk.AddWindow("w", 0, 0, 10, 10);
    desk.manager.HideWindow(window, 0);
    auto* show = new guiWindowEffect(window);
    show->SetDelayedShow(0.3f);
    desk.manager.QueueEffect(show);
    desk.Frame(0.3f);
    EXPECT_FALSE(window->IsVisible());
    EXPECT_EQ(desk.manager.GetEffectCount(), 1u);
    desk.Frame(0.01f);
    EXPECT_TRUE(window->IsVisible());
    EXPECT_EQ(desk.manager.GetActiveWindow(), window);
    EXPECT_EQ(desk.manager.GetEffectCount(), 0u);
}

} // namespace

// A screen that asks a question as soon as it is shown.
class AskingWindow : public guiWindow
{
public:
    AskingWindow(GuiDesk& desk, guiWindow* question)
        : guiWindow(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(50, 50)), m_Desk(desk), m_Question(question)
    {
    }
    void OnShow() override
    {
        ++shows;
        answer = m_Desk.manager.ShowWindow(m_Question, true);
    }
    int shows = 0;
    int answer = 0;

private:
    GuiDesk& m_Desk;
    guiWindow* m_Question;
};

TEST(Effects, AnEffectWhoseActionRunsFramesIsNotRunAgainByThem)
{
    GuiDesk desk;
    guiWindow* question = desk.AddWindow("question", 0, 0, 10, 10);
    desk.manager.HideWindow(question, 0);
    auto* screen = new AskingWindow(desk, question);
    desk.manager.AddWindow(screen);
    desk.manager.HideWindow(screen, 0);
    auto* show = new guiWindowEffect(screen);
    show->SetDelayedShow(0.01f);
    desk.manager.QueueEffect(show);
    desk.onFrame = [&](int frame)
    {
        if (frame == 3)
            desk.manager.HideWindow(question, 4);
        return true;
    };
    desk.Frame();
    EXPECT_EQ(screen->shows, 1);
    EXPECT_EQ(screen->answer, 4);
    EXPECT_EQ(desk.frames, 3);
    EXPECT_EQ(desk.manager.GetEffectCount(), 0u);
}
