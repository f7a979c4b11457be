#include "editor/MapEditorWindow.h"
#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiGrid.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/model/kaModelManager.h"
#include "engine/terrain/kaDraggableDecalManager.h"
#include "game/records/tvPlayer.h"
#include "game/screens/courseeditor/CourseOptions.h"
#include "game/screens/courseeditor/tvMapEditorWindow.h"
#include "tests/support/FrameReading.h"
#include "tests/support/game/CourseEditorShown.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <memory>

using testsupport::HeadlessGame;

namespace
{

HeadlessGame::Options Drawn(bool engineEditor)
{
    HeadlessGame::Options options;
    options.realGraphics = true;
    options.makeApp = [engineEditor]
    {
        auto app = std::make_unique<Tarvolin>();
        app->SetEngineEditor(engineEditor);
        return app;
    };
    return options;
}

// A drawn course and toolbars, not an empty screen.
// A tenth of the frame lit at least.
bool MostlyDrawn(const platform::FrameCapture& frame)
{
    long lit = 0;
    for (size_t at = 0; at + 2 < frame.Rows.size(); at += 3)
        lit += (frame.Rows[at] | frame.Rows[at + 1] | frame.Rows[at + 2]) > 24 ? 1 : 0;
    return frame.Width > 0 && lit > long(frame.Width) * long(frame.Height) / 10;
}

} // namespace

TEST(EditorScreensGLTest, TheEngineEditorDrawsItsCourseWithTheToolsMenuOpen)
{
    kaModelManager models;
    kaDraggableDecalManager decals;
    HeadlessGame game(Drawn(true));
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    auto* editor = dynamic_cast<MapEditorWindow*>(game.Gui().FindWindow(MapEditorWindow::kWindowName));
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->GetWorld(), nullptr);
    game.Click(editor->GetName(), "tools button");
    ASSERT_TRUE(game.RunScript());
    ASSERT_TRUE(editor->FindChild("tools menu group")->IsVisible());
    ASSERT_TRUE(game.Screenshot("engine_editor_tools_menu"));
    EXPECT_TRUE(MostlyDrawn(game.Capture()));
}

TEST(EditorScreensGLTest, TheGameEditorDrawsANewCourseOnItsVenueWithTheFileMenuOpen)
{
    kaModelManager models;
    kaDraggableDecalManager decals;
    HeadlessGame game(Drawn(false));
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    tvMapEditorWindow* editor = testsupport::ShowCourseEditor(game);
    ASSERT_NE(editor, nullptr);
    game.Queue(
        [&game]
        {
            auto* options = dynamic_cast<CourseOptions*>(game.Gui().FindWindow(CourseOptions::kWindowName));
            guiGrid* grid = options->GetGrid();
            grid->GetCell(0, 1)->FindChild(PropertyEditor::kTextFieldName)->DynamicCast<guiTextBox>()->SetText("Ridge");
            grid->GetCell(2, 1)->FindChild(PropertyEditor::kDropDownName)->DynamicCast<guiDropDown>()->SelectByText(
                "ProvingGround");
        });
    game.Click(CourseOptions::kWindowName, CourseOptions::kOkName);
    guiListBox* file = editor->FindChild("file menu")->DynamicCast<guiListBox>();
    file->SelectRow(file->FindRow("New", 0), true);
    ASSERT_TRUE(game.RunScript());
    ASSERT_NE(editor->GetWorld(), nullptr);
    game.Click(editor->GetName(), "file button");
    ASSERT_TRUE(game.RunScript());
    ASSERT_TRUE(editor->FindChild("file menu group")->IsVisible());
    ASSERT_TRUE(game.Screenshot("game_editor_file_menu"));
    EXPECT_TRUE(MostlyDrawn(game.Capture()));
}
