#include "game/app/Tarvolin.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>

#include <algorithm>

using gametest::Bindings;

namespace
{

using Strings = std::vector<std::string>;

const Strings kFullSetWithMouse = {
    "0:Mouse/X-axis/0",    "1:Mouse/Y-axis/0",   "2:Mouse/Wheel/0", "3:Mouse/Button 0/0",
    "4:Mouse/Button 2/0",  "5:Mouse/Button 1/0", "6:Keyboard/W/2",  "7:Keyboard/S/1",
    "8:Keyboard/A/1",      "9:Keyboard/D/2",     "14:Keyboard/C/0", "15:Keyboard/R/0",
    "17:Keyboard/Space/0", "18:Keyboard/F/0",
};

// A controls file binding every game action to the keyboard's D except those listed.
std::string ControlsFileWithout(const std::vector<int>& left)
{
    std::string file = "<controls><device><index>1</index><name>Keyboard</name>";
    for (int action = 0; action < 19; ++action)
        if (std::find(left.begin(), left.end(), action) == left.end())
            file += "<control><code>3</code><action>" + std::to_string(action) +
                    "</action><range>0</range>"
                    "<player>0</player></control>";
    return file + "</device></controls>";
}

} // namespace

class TarvolinControlsTest : public ::testing::Test
{
protected:
    gametest::InstallFolder m_Install;
};

TEST_F(TarvolinControlsTest, WithoutAUsableFileTheFullSetIsBound)
{
    for (const char* file : {"", "<bindings/>", "<controls><device>"})
    {
        if (*file != '\0')
            m_Install.dir.Write("data/controls.xml", file);
        gametest::AttachedDevices devices({gametest::Mouse(), gametest::Keyboard()});
        Tarvolin app;
        app.InitInput();
        EXPECT_EQ(Bindings(*app.GetInputManager()), kFullSetWithMouse) << file;
    }
}

TEST_F(TarvolinControlsTest, AJoystickStandsInForAMissingMouseOnlyInTheFullSet)
{
    gametest::AttachedDevices devices({gametest::Keyboard(), gametest::Joystick()});
    Tarvolin app;
    app.InitInput();
    const Strings full = Bindings(*app.GetInputManager());
    // The pointer's rows and the joystick's own.
    for (const char* binding :
         {"0:Stick/X/0", "1:Stick/Y/0", "3:Stick/Trigger/0", "4:Stick/Top/0", "5:Stick/Thumb/0",
          "6:Stick/Y/2", "7:Stick/Y/1", "8:Stick/X/1", "9:Stick/X/2"})
        EXPECT_NE(std::find(full.begin(), full.end(), binding), full.end()) << binding;

    app.GetInputManager()->ClearBindings();
    for (int action = 0; action < 6; ++action)
        app.SetDefaultBinding(action);
    EXPECT_TRUE(Bindings(*app.GetInputManager()).empty());
}

TEST_F(TarvolinControlsTest, ActionsAFileLeavesUnboundGetTheirOwnDefaults)
{
    struct Case
    {
        std::vector<int> left;
        Strings added;
    };
    const Case cases[] = {
        {{18}, {"18:Keyboard/G/0"}},
        {{17}, {"17:Keyboard/Space/0"}},
        {{6, 10, 16}, {"6:Keyboard/W/2"}},
        {{0, 4}, {"0:Mouse/X-axis/0", "4:Mouse/Button 2/0"}},
    };
    for (const Case& c : cases)
    {
        m_Install.dir.Write("data/controls.xml", ControlsFileWithout(c.left));
        gametest::AttachedDevices devices({gametest::Mouse(), gametest::Keyboard()});
        Tarvolin app;
        app.InitInput();
        const Strings bindings = Bindings(*app.GetInputManager());
        Strings added;
        for (const std::string& binding : bindings)
            if (binding.find(":Keyboard/D/0") == std::string::npos)
                added.push_back(binding);
        EXPECT_EQ(added, c.added) << c.left.front();
        EXPECT_EQ(bindings.size(), 19 - c.left.size() + c.added.size()) << c.left.front();
    }
}

TEST_F(TarvolinControlsTest, SavedBindingsLoadBackTheSame)
{
    gametest::AttachedDevices devices({gametest::Mouse(), gametest::Keyboard(), gametest::Joystick()});
    Strings saved;
    {
        Tarvolin app;
        app.InitInput();
        InputManager& input = *app.GetInputManager();
        input.RemoveBinding(6, 0, 0);
        input.AddBinding(6, 1, input.FindDeviceControlByName(1, "G"), InputManager::kRangePositive, 0);
        saved = Bindings(input);
        ASSERT_TRUE(app.SaveControls());
    }
    Tarvolin app;
    app.InitInput();
    EXPECT_EQ(Bindings(*app.GetInputManager()), saved);
}
