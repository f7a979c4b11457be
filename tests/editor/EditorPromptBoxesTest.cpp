#include "editor/AddFlareLayerWindow.h"
#include "editor/AddSkyboxWindow.h"
#include "editor/AddSunWindow.h"
#include "editor/AddTerrainLayerWindow.h"
#include "editor/CreateTerrainWindow.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

// The dialog as the editor shows it: the one registered at start-up, or one made from its layout.
template <typename Dialog> guiWindow* DialogOf(guiManager& gui)
{
    if (guiWindow* found = gui.FindWindow(Dialog::kWindowName))
        return found;
    auto* dialog = new Dialog(Dialog::kLayoutFile);
    gui.AddWindow(dialog);
    gui.HideWindow(dialog, gui::kModalDone);
    return dialog;
}

// The boxes of the window a user can type into that show a text before anything is typed.
void CollectPromptBoxes(guiGlyph* glyph, std::vector<guiTextBox*>& boxes)
{
    for (int i = 0; i < glyph->GetChildCount(); ++i)
    {
        guiGlyph* child = glyph->GetChild(i);
        if (child == nullptr || !child->IsVisible())
            continue;
        if (auto* box = child->DynamicCast<guiTextBox>())
        {
            if (box->IsEditable() && !box->GetText().empty())
                boxes.push_back(box);
            continue;
        }
        CollectPromptBoxes(child, boxes);
    }
}

} // namespace

// A designer clicks into each field of the editor's dialogs (near its start, in its middle or past its end)
// and types a value: the field holds what was typed, with nothing of the default it showed left around it.
TEST(EditorPromptBoxesTest, EachDialogFieldHoldsExactlyWhatWasTypedWhereverItWasClicked)
{
    struct Dialog
    {
        const char* name;
        std::function<guiWindow*(guiManager&)> make;
    };
    const Dialog dialogs[] = {
        {CreateTerrainWindow::kWindowName, DialogOf<CreateTerrainWindow>},
        {AddTerrainLayerWindow::kWindowName, DialogOf<AddTerrainLayerWindow>},
        {AddSkyboxWindow::kWindowName, DialogOf<AddSkyboxWindow>},
        {AddSunWindow::kWindowName, DialogOf<AddSunWindow>},
        {AddFlareLayerWindow::kWindowName, DialogOf<AddFlareLayerWindow>},
    };
    HeadlessGame game{HeadlessGame::EngineEditorWithSdlInput()};
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    for (const Dialog& dialog : dialogs)
    {
        SCOPED_TRACE(dialog.name);
        guiWindow* window = dialog.make(game.Gui());
        ASSERT_NE(window, nullptr);
        game.Gui().ShowWindow(window, false);
        std::vector<guiTextBox*> boxes;
        CollectPromptBoxes(window, boxes);
        ASSERT_FALSE(boxes.empty());
        std::vector<std::string> typed;
        for (size_t i = 0; i < boxes.size(); ++i)
        {
            guiTextBox* box = boxes[i];
            const double across = i % 3 == 0 ? 0.05 : i % 3 == 1 ? 0.5 : 0.97;
            typed.push_back("7" + std::to_string(i) + ".5");
            game.ClickAt(
                [box, across](int32_t& x, int32_t& y)
                {
                    const platform::Rect& rect = box->GetHitRect();
                    x = rect.left + static_cast<int32_t>((rect.right - rect.left) * across);
                    y = (rect.top + rect.bottom) / 2;
                    return true;
                });
            game.Type(typed.back());
        }
        ASSERT_TRUE(game.RunScript());
        for (size_t i = 0; i < boxes.size(); ++i)
            EXPECT_EQ(boxes[i]->GetText(), typed[i]) << boxes[i]->GetName();
        game.Gui().HideWindow(window, gui::kModalCancelled);
    }
}
