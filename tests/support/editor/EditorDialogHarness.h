#pragma once

#include "editor/EnvironmentCommands.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/scene/kaWorld.h"
#include "game/app/Tarvolin.h"
#include "tests/support/game/HeadlessGame.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The game headless with the editor's dialogs registered and a world to edit, and the clicks and keys
// that drive a dialog while a command shows it.
class EditorDialogHarness
{
public:
    explicit EditorDialogHarness(const testsupport::HeadlessGame::Options& options = {}) : m_Game(options) {}

    bool Start()
    {
        if (!m_Game.Start())
            return false;
        EnvironmentCommands::CreateStartupDialogs(m_Game.Gui());
        m_World = std::make_unique<kaWorld>();
        EnvironmentCommands::Hooks hooks;
        hooks.setSaved = [this](bool saved) { savedCalls.push_back(saved); };
        hooks.makeCurrent = [this](kaWorld& world) { madeCurrent = &world; };
        hooks.refreshSelection = [this](int32_t mode) { refreshes.push_back(mode); };
        m_Commands = std::make_unique<EnvironmentCommands>(m_Game.Gui(), hooks);
        m_Commands->SetWorld(m_World.get());
        // Clicks a frame apart stay within the lists' double-click time.
        m_Game.SetClockStep(0.0005);
        return true;
    }

    ~EditorDialogHarness()
    {
        m_Commands.reset();
        m_World.reset();
    }

    testsupport::HeadlessGame& Game() { return m_Game; }
    guiManager& Gui() { return m_Game.Gui(); }
    kaWorld& World() { return *m_World; }
    EnvironmentCommands& Commands() { return *m_Commands; }

    void Click(const std::string& window, const std::string& widget) { m_Game.Click(window, widget); }

    // Empties the field and types the text into it.
    void Retype(const std::string& window, const std::string& field, const std::string& text)
    {
        m_Game.Click(window, field);
        m_Game.PressKey(kKeyEnd);
        for (int i = 0; i < kLongestField; ++i)
            m_Game.PressKey(kKeyBackspace);
        m_Game.Type(text);
    }

    // A click in the middle of a list row; a second click soon after makes a double click.
    void ClickRow(const std::string& window, const std::string& list, int32_t row, bool soonAfter = false)
    {
        // The frames clamp long steps, so the time passes over several.
        for (int frame = 0; frame < (soonAfter ? 1 : kFramesApart); ++frame)
            m_Game.Queue(
                [this, soonAfter]
                {
                    if (!soonAfter)
                        m_Game.Clock().AdvanceSeconds(0.1);
                });
        m_Game.Queue(
            [this, window, list, row]
            {
                guiGlyph* glyph = m_Game.FindWidget(window, list);
                auto* box = glyph != nullptr ? glyph->DynamicCast<guiListBox>() : nullptr;
                if (box == nullptr)
                    return;
                const platform::Rect& rect = box->GetHitRect();
                const int32_t height = box->GetRowHeight(0);
                m_Game.Gui().SetCursorPosition(rect.left + 20, rect.top + height * row + height / 2);
                m_Game.App().OnMouse(kMouseButton0, 1, 0, 0);
            });
        m_Game.Queue([this] { m_Game.App().OnMouse(kMouseButton0, 0, 0, 0); });
    }

    void DoubleClickRow(const std::string& window, const std::string& list, int32_t row)
    {
        ClickRow(window, list, row);
        ClickRow(window, list, row, true);
    }

    void Step(const std::function<void()>& step) { m_Game.Queue(step); }

    std::vector<bool> savedCalls;
    kaWorld* madeCurrent = nullptr;
    std::vector<int32_t> refreshes;

private:
    static constexpr int kMouseButton0 = 4;
    static constexpr uint8_t kKeyEnd = 35;
    static constexpr uint8_t kKeyBackspace = 8;
    static constexpr int kLongestField = 60;
    // Past the lists' double-click time.
    static constexpr int kFramesApart = 5;

    testsupport::HeadlessGame m_Game;
    std::unique_ptr<kaWorld> m_World;
    std::unique_ptr<EnvironmentCommands> m_Commands;
};
