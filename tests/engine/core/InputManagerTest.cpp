#include "engine/core/InputManager.h"
#include "engine/core/kaFileSystem.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace
{

// A device whose controls the test sets directly: values now and at the previous poll, and kinds.
class FakeDevice : public InputDevice
{
public:
    struct Control
    {
        std::string name;
        int32_t kind;
        int32_t value = 0;
        int32_t previous = 0;
    };

    FakeDevice(const std::string& name, int32_t type, std::vector<Control> controls)
        : m_Controls(std::move(controls))
    {
        m_Name = name;
        m_Type = type;
    }

    void Set(int index, int32_t value) { m_Controls[index].value = value; }
    int polls = 0;

    void Poll() override
    {
        ++polls;
        for (Control& control : m_Controls)
            control.previous = control.value;
    }
    bool GetControlState(int index, int32_t& value, bool previous) const override
    {
        if (index < 0 || index >= int(m_Controls.size()))
            return false;
        value = previous ? m_Controls[index].previous : m_Controls[index].value;
        return true;
    }
    bool GetControlStateByName(const std::string& name, int32_t& value, bool previous) const override
    {
        return GetControlState(FindControlByName(name), value, previous);
    }
    int32_t GetControlKind(int index) const override
    {
        return index >= 0 && index < int(m_Controls.size()) ? m_Controls[index].kind : kKindInvalid;
    }
    int32_t GetControlKindByName(const std::string& name) const override
    {
        return GetControlKind(FindControlByName(name));
    }
    int GetControlCount() const override { return int(m_Controls.size()); }
    bool GetControlName(int index, std::string& name) const override
    {
        if (index < 0 || index >= int(m_Controls.size()))
            return false;
        name = m_Controls[index].name;
        return true;
    }
    int FindControlByCode(int code) const override { return code == 7 ? 0 : -1; }
    int FindControlByName(const std::string& name) const override
    {
        for (size_t i = 0; i < m_Controls.size(); ++i)
            if (m_Controls[i].name == name)
                return int(i);
        return -1;
    }
    int GetControlCode(int n) const override { return n == 0 ? 1 : -1; }

private:
    std::vector<Control> m_Controls;
};

// Device 0 a keyboard (buttons "W", "S"), device 1 a stick (absolute "X", relative "Dial", button "Fire").
class TestInputManager : public InputManager
{
public:
    TestInputManager()
    {
        auto keyboard =
            std::make_unique<FakeDevice>("Keyboard", InputDevice::kTypeKeyboard,
                                         std::vector<FakeDevice::Control>{{"W", InputDevice::kKindButton},
                                                                          {"S", InputDevice::kKindButton}});
        auto stick = std::make_unique<FakeDevice>(
            "Stick", InputDevice::kTypeJoystick,
            std::vector<FakeDevice::Control>{{"X", InputDevice::kKindAbsoluteAxis},
                                             {"Dial", InputDevice::kKindRelativeAxis},
                                             {"Fire", InputDevice::kKindButton}});
        keys = keyboard.get();
        this->stick = stick.get();
        m_Devices.push_back(std::move(keyboard));
        m_Devices.push_back(std::move(stick));
    }

    FakeDevice* keys;
    FakeDevice* stick;
};

constexpr int kKeyboard = 0;
constexpr int kStick = 1;
constexpr int kW = 0;
constexpr int kS = 1;
constexpr int kX = 0;
constexpr int kDial = 1;
constexpr int kFire = 2;

// (device, control, range) of each binding of an action, in order.
std::vector<std::array<int, 2>> Bindings(const InputManager& manager, int action, int player)
{
    std::vector<std::array<int, 2>> list;
    for (int n = 0; n < manager.GetBindingCount(action, player); ++n)
        list.push_back(
            {manager.GetBindingDevice(action, n, player), manager.GetBindingCode(action, n, player)});
    return list;
}

} // namespace

class InputManagerTest : public ::testing::Test
{
protected:
    TestInputManager m_Manager;
};

TEST_F(InputManagerTest, IsTheGlobalInstanceWhileItLives)
{
    EXPECT_EQ(InputManager::GetInstance(), &m_Manager);
    {
        TestInputManager second;
        EXPECT_EQ(InputManager::GetInstance(), &second);
    }
    EXPECT_EQ(InputManager::GetInstance(), nullptr);
}

TEST_F(InputManagerTest, FifthBindingDropsTheOldest)
{
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(m_Manager.AddBinding(3, i % 2, i, InputManager::kRangeWhole, 0));
    EXPECT_EQ(m_Manager.GetBindingCount(3, 0), 4);
    EXPECT_EQ(Bindings(m_Manager, 3, 0),
              (std::vector<std::array<int, 2>>{{kStick, 1}, {kKeyboard, 2}, {kStick, 3}, {kKeyboard, 4}}));
}

TEST_F(InputManagerTest, RefusesBadArgumentsAndChangesNothing)
{
    EXPECT_FALSE(m_Manager.AddBinding(-1, kKeyboard, kW, 0, 0));
    EXPECT_FALSE(m_Manager.AddBinding(32, kKeyboard, kW, 0, 0));
    EXPECT_FALSE(m_Manager.AddBinding(0, -1, kW, 0, 0));
    EXPECT_FALSE(m_Manager.AddBinding(0, 2, kW, 0, 0));
    EXPECT_FALSE(m_Manager.AddBinding(0, kKeyboard, -2, 0, 0));
    EXPECT_FALSE(m_Manager.AddBinding(0, kKeyboard, kW, 0, -1));
    EXPECT_EQ(m_Manager.GetBindingCount(0, 0), 0);
    EXPECT_TRUE(m_Manager.AddBinding(0, kKeyboard, -1, 0, 0)) << "control -1 is allowed";
}

TEST_F(InputManagerTest, RefusesPlayersAboveTheCapWithADebuggerLine)
{
    testsupport::DebugCapture capture;
    EXPECT_FALSE(m_Manager.AddBinding(0, kKeyboard, kW, 0, InputManager::kMaxPlayers));
    EXPECT_FALSE(m_Manager.AddBinding(0, kKeyboard, kW, 0, 2000000000));
    ASSERT_EQ(capture.Lines().size(), 2u);
    EXPECT_EQ(capture.Lines()[0].rfind("[InputManager::AddBinding] : ", 0), 0u);
    EXPECT_EQ(m_Manager.GetBindingCount(0, InputManager::kMaxPlayers - 1), 0);

    EXPECT_TRUE(m_Manager.AddBinding(5, kKeyboard, kW, 0, InputManager::kMaxPlayers - 1));
    EXPECT_EQ(m_Manager.GetBindingCount(5, InputManager::kMaxPlayers - 1), 1);
    EXPECT_EQ(m_Manager.GetBindingCount(5, 3), 0) << "players in between get empty tables";
}

TEST_F(InputManagerTest, QueriesOutOfRangeGiveTheNoneResult)
{
    ASSERT_TRUE(m_Manager.AddBinding(2, kStick, kFire, 0, 0));
    EXPECT_EQ(m_Manager.GetBindingName(2, 0, 0), "Fire");
    EXPECT_EQ(m_Manager.GetBindingName(2, 1, 0), "");
    EXPECT_EQ(m_Manager.GetBindingName(2, -1, 0), "");
    EXPECT_EQ(m_Manager.GetBindingDevice(2, 1, 0), -1);
    EXPECT_EQ(m_Manager.GetBindingCode(2, 0, 1), -1);
    EXPECT_EQ(m_Manager.GetBindingCount(32, 0), 0);
    EXPECT_EQ(m_Manager.GetBindingCount(2, -1), 0);
    EXPECT_EQ(m_Manager.GetActionValue(2, nullptr, 1), 0);
    EXPECT_EQ(m_Manager.GetActionValue(-1, nullptr, 0), 0);

    EXPECT_EQ(m_Manager.FindDeviceByType(InputDevice::kTypeJoystick), kStick);
    EXPECT_EQ(m_Manager.FindDeviceByType(InputDevice::kTypeMouse), -1);
    EXPECT_EQ(m_Manager.FindDeviceControlByName(kKeyboard, "S"), kS);
    EXPECT_EQ(m_Manager.FindDeviceControlByName(2, "S"), -1);
    EXPECT_EQ(m_Manager.FindDeviceControlByCode(kStick, 7), 0);
    EXPECT_EQ(m_Manager.FindDeviceControlByCode(-1, 7), -1);
    EXPECT_EQ(m_Manager.GetDeviceControlCode(kStick, 0), 1);
    EXPECT_EQ(m_Manager.GetDeviceControlCode(5, 0), -1);
    EXPECT_EQ(m_Manager.GetDeviceControlKind(kStick, kDial), InputDevice::kKindRelativeAxis);
    EXPECT_EQ(m_Manager.GetDeviceControlKind(kStick, 9), InputDevice::kKindInvalid);
    EXPECT_EQ(m_Manager.GetDeviceControlKind(9, 0), InputDevice::kKindInvalid);
    EXPECT_EQ(m_Manager.GetDeviceName(kStick), "Stick");
    EXPECT_EQ(m_Manager.GetDeviceName(2), "");
}

TEST_F(InputManagerTest, RemoveAndClearBindings)
{
    m_Manager.AddBinding(1, kKeyboard, kW, 0, 0);
    m_Manager.AddBinding(1, kKeyboard, kS, 0, 0);
    m_Manager.AddBinding(1, kStick, kFire, 0, 0);
    m_Manager.RemoveBinding(1, 3, 0);
    m_Manager.RemoveBinding(1, -1, 0);
    m_Manager.RemoveBinding(1, 0, 4);
    EXPECT_EQ(m_Manager.GetBindingCount(1, 0), 3);
    m_Manager.RemoveBinding(1, 1, 0);
    EXPECT_EQ(Bindings(m_Manager, 1, 0), (std::vector<std::array<int, 2>>{{kKeyboard, kW}, {kStick, kFire}}));

    m_Manager.AddBinding(1, kKeyboard, kW, 0, 2);
    m_Manager.ClearBindings();
    EXPECT_EQ(m_Manager.GetBindingCount(1, 0), 0);
    EXPECT_EQ(m_Manager.GetBindingCount(1, 2), 0);
}

TEST_F(InputManagerTest, EachBindingKeepsItsOwnRangeThroughRemovalsAndTheCap)
{
    const int ranges[] = {InputManager::kRangeNegative, InputManager::kRangeWhole, InputManager::kRangePositive,
                          InputManager::kRangeNegative, InputManager::kRangePositive};
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(m_Manager.AddBinding(6, kKeyboard, i % 2, ranges[i], 0));
    // The cap dropped the first; removing the new first leaves the last three in order.
    m_Manager.RemoveBinding(6, 0, 0);
    ASSERT_EQ(m_Manager.GetBindingCount(6, 0), 3);
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(m_Manager.GetBindingRange(6, n, 0), ranges[n + 2]) << n;
    EXPECT_EQ(m_Manager.GetBindingRange(6, 3, 0), -1);
    EXPECT_EQ(m_Manager.GetBindingRange(6, -1, 0), -1);
    EXPECT_EQ(m_Manager.GetBindingRange(7, 0, 0), -1);
    EXPECT_EQ(m_Manager.GetBindingRange(6, 0, 1), -1);
}

TEST_F(InputManagerTest, KeyAndStickInWholeRangeGiveTheStrongerAndTheEarlierOnATie)
{
    ASSERT_TRUE(m_Manager.AddBinding(8, kKeyboard, kW, InputManager::kRangeWhole, 0));
    ASSERT_TRUE(m_Manager.AddBinding(8, kStick, kX, InputManager::kRangeWhole, 0));
    int32_t kind = 0;

    m_Manager.stick->Set(kX, -20000);
    EXPECT_EQ(m_Manager.GetActionValue(8, &kind, 0), -20000);
    EXPECT_EQ(kind, InputDevice::kKindAbsoluteAxis);

    m_Manager.keys->Set(kW, 32768);
    EXPECT_EQ(m_Manager.GetActionValue(8, &kind, 0), 32768);
    EXPECT_EQ(kind, InputDevice::kKindButton);

    m_Manager.stick->Set(kX, -32768);
    EXPECT_EQ(m_Manager.GetActionValue(8, &kind, 0), 32768) << "a tie keeps the binding added first";
    EXPECT_EQ(kind, InputDevice::kKindButton);

    // Added the other way round, the stick wins the tie.
    ASSERT_TRUE(m_Manager.AddBinding(9, kStick, kX, InputManager::kRangeWhole, 0));
    ASSERT_TRUE(m_Manager.AddBinding(9, kKeyboard, kW, InputManager::kRangeWhole, 0));
    EXPECT_EQ(m_Manager.GetActionValue(9, &kind, 0), -32768);
    EXPECT_EQ(kind, InputDevice::kKindAbsoluteAxis);
}

// One binding of each range mode on a control holding a value, each on its own action.
TEST_F(InputManagerTest, RangeModesPassTheirHalfOfTheValue)
{
    const auto button = InputDevice::kKindButton;
    const auto axis = InputDevice::kKindAbsoluteAxis;
    const struct
    {
        int range;
        bool stick;
        int control;
        int32_t value;
        int32_t result;
        int32_t kind;
    } cases[] = {
        {InputManager::kRangePositive, true, kX, 12000, 12000, axis},
        {InputManager::kRangePositive, true, kX, -12000, 0, axis},
        {InputManager::kRangeNegative, true, kX, -9000, -9000, axis},
        {InputManager::kRangeNegative, true, kX, 9000, 0, axis},
        // A button in the negative range is negated.
        {InputManager::kRangeNegative, false, kS, 32768, -32768, button},
        // A relative axis is an axis: its positive movement gives nothing in this mode.
        {InputManager::kRangeNegative, true, kDial, 40, 0, InputDevice::kKindRelativeAxis},
    };
    int action = 0;
    for (const auto& c : cases)
    {
        ++action;
        ASSERT_TRUE(m_Manager.AddBinding(action, c.stick ? kStick : kKeyboard, c.control, c.range, 0));
        (c.stick ? m_Manager.stick : m_Manager.keys)->Set(c.control, c.value);
        int32_t kind = -1;
        EXPECT_EQ(m_Manager.GetActionValue(action, &kind, 0), c.result) << action;
        EXPECT_EQ(kind, c.kind) << action;
    }
}

TEST_F(InputManagerTest, UnknownRangeModeNeverWins)
{
    ASSERT_TRUE(m_Manager.AddBinding(3, kStick, kX, 3, 0));
    ASSERT_TRUE(m_Manager.AddBinding(3, kKeyboard, kW, -1, 0));
    m_Manager.stick->Set(kX, 30000);
    m_Manager.keys->Set(kW, 32768);
    int32_t kind = 0;
    EXPECT_EQ(m_Manager.GetActionValue(3, &kind, 0), 0);
    EXPECT_EQ(kind, InputDevice::kKindAbsoluteAxis)
        << "the first binding's kind when nothing is stronger than 0";
}

TEST_F(InputManagerTest, KindIsLeftAloneForAnActionWithoutBindings)
{
    ASSERT_TRUE(m_Manager.AddBinding(0, kKeyboard, kW, 0, 0));
    int32_t kind = 42;
    EXPECT_EQ(m_Manager.GetActionValue(1, &kind, 0), 0);
    EXPECT_EQ(kind, 42);
}

TEST_F(InputManagerTest, CapturesTheFirstChangedControlOfTheFirstDeviceWithOne)
{
    InputManager::CaptureRecord record;
    record.deviceName = "untouched";
    EXPECT_FALSE(m_Manager.CaptureControl(record));
    EXPECT_EQ(record.deviceName, "untouched");
    EXPECT_EQ(record.deviceIndex, -1);

    m_Manager.stick->Set(kFire, 32768);
    m_Manager.stick->Set(kDial, -3);
    ASSERT_TRUE(m_Manager.CaptureControl(record));
    EXPECT_EQ(record.deviceName, "Stick");
    EXPECT_EQ(record.deviceIndex, kStick);
    EXPECT_EQ(record.controlName, "Dial");
    EXPECT_EQ(record.controlCode, kDial);
    EXPECT_EQ(record.state, -3);

    m_Manager.keys->Set(kS, 32768);
    ASSERT_TRUE(m_Manager.CaptureControl(record));
    EXPECT_EQ(record.deviceIndex, kKeyboard);
    EXPECT_EQ(record.controlName, "S");

    m_Manager.Update();
    EXPECT_FALSE(m_Manager.CaptureControl(record)) << "held controls are not changes";
}

class ControlsFileTest : public InputManagerTest
{
protected:
    static TiXmlDocument Parse(const std::string& text)
    {
        TiXmlDocument document;
        document.Parse(text.c_str());
        EXPECT_FALSE(document.Error()) << document.ErrorDesc();
        return document;
    }
};

TEST_F(ControlsFileTest, SavesDeviceElementsInBindingOrderWithControlsInside)
{
    m_Manager.AddBinding(6, kKeyboard, kW, InputManager::kRangeNegative, 0);
    m_Manager.AddBinding(6, kStick, kX, InputManager::kRangeNegative, 0);
    m_Manager.AddBinding(7, kStick, kFire, InputManager::kRangePositive, 0);
    m_Manager.AddBinding(2, kKeyboard, kS, InputManager::kRangeWhole, 1);

    TiXmlDocument document;
    TiXmlElement* root = static_cast<TiXmlElement*>(document.InsertEndChild(TiXmlElement("controls")));
    m_Manager.SaveControls(root);
    TiXmlPrinter printer;
    printer.SetIndent("");
    printer.SetLineBreak("");
    document.Accept(&printer);
    EXPECT_EQ(
        std::string(printer.CStr()),
        "<controls>"
        "<device><index>0</index><name>Keyboard</name>"
        "<control><code>0</code><name>W</name><action>6</action><range>2</range><player>0</player></control>"
        "</device>"
        "<device><index>1</index><name>Stick</name>"
        "<control><code>0</code><name>X</name><action>6</action><range>2</range><player>0</player></control>"
        "<control><code>2</code><name>Fire</name><action>7</action><range>1</range><player>0</player>"
        "</control>"
        "</device>"
        "<device><index>0</index><name>Keyboard</name>"
        "<control><code>1</code><name>S</name><action>2</action><range>0</range><player>1</player></control>"
        "</device>"
        "</controls>");
}

TEST_F(ControlsFileTest, SavedThenLoadedKeepsEveryActionsBindingsInOrder)
{
    m_Manager.AddBinding(8, kStick, kX, InputManager::kRangePositive, 0);
    m_Manager.AddBinding(8, kKeyboard, kS, InputManager::kRangeWhole, 0);
    m_Manager.AddBinding(8, kStick, kFire, InputManager::kRangeNegative, 0);
    m_Manager.AddBinding(9, kKeyboard, kW, InputManager::kRangeNegative, 0);
    m_Manager.AddBinding(9, kStick, kX, InputManager::kRangeNegative, 0);
    m_Manager.AddBinding(31, kStick, kDial, InputManager::kRangeWhole, 2);

    testsupport::TempDir folder;
    const std::string path = folder.File("data/controls.xml");
    {
        TiXmlDocument document;
        m_Manager.SaveControls(static_cast<TiXmlElement*>(document.InsertEndChild(TiXmlElement("controls"))));
        folder.Write("data/controls.xml", "");
        FILE* file = OpenFile(path, "w");
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(document.SaveFile(file));
        fclose(file);
    }

    TestInputManager loaded;
    TiXmlDocument document;
    FILE* file = OpenFile(path, "r");
    ASSERT_NE(file, nullptr);
    ASSERT_TRUE(document.LoadFile(file));
    fclose(file);
    loaded.LoadControls(document.FirstChildElement("controls"));

    for (int player = 0; player < 3; ++player)
        for (int action = 0; action < InputManager::kActionCount; ++action)
        {
            ASSERT_EQ(Bindings(loaded, action, player), Bindings(m_Manager, action, player))
                << "player " << player << " action " << action;
        }
    // Range modes survive too: the stick's X on action 8 still gives only its positive half.
    loaded.stick->Set(kX, -5000);
    EXPECT_EQ(loaded.GetActionValue(8, nullptr, 0), 0);
    loaded.stick->Set(kX, 5000);
    EXPECT_EQ(loaded.GetActionValue(8, nullptr, 0), 5000);
    loaded.keys->Set(kW, 32768);
    EXPECT_EQ(loaded.GetActionValue(9, nullptr, 0), -32768);
}

TEST_F(ControlsFileTest, LoadingAddsToExistingBindingsAndSkipsWhatDoesNotFit)
{
    m_Manager.AddBinding(0, kKeyboard, kS, 0, 0);
    TiXmlDocument document =
        Parse("<controls>"
              "<device><index>5</index><name>Gone</name>"
              "<control><code>0</code><action>0</action></control></device>"
              "<device><name>No index</name><control><code>0</code><action>0</action></control></device>"
              "<device><index>0</index><name>ignored</name>"
              "<control><code>1</code><name>ignored</name><action>0</action></control>"
              "<control><code>0</code><action>1</action><range>2</range><player>1</player></control>"
              "<control><action>2</action></control>"
              "<control><code>0</code></control>"
              "<control><code>0</code><action>40</action></control>"
              "<control><code>0</code><action>3</action><range>1</range><player>99</player></control>"
              "</device></controls>");
    testsupport::DebugCapture capture;
    m_Manager.LoadControls(document.RootElement());

    EXPECT_EQ(Bindings(m_Manager, 0, 0), (std::vector<std::array<int, 2>>{{kKeyboard, kS}, {kKeyboard, kS}}));
    EXPECT_EQ(Bindings(m_Manager, 1, 1), (std::vector<std::array<int, 2>>{{kKeyboard, kW}}));
    m_Manager.keys->Set(kW, 32768);
    EXPECT_EQ(m_Manager.GetActionValue(1, nullptr, 1), -32768);
    EXPECT_EQ(m_Manager.GetBindingCount(2, 0), 0);
    EXPECT_EQ(m_Manager.GetBindingCount(3, 0), 0);
    EXPECT_TRUE(capture.Contains("[InputManager::AddBinding] : ")) << "the player above the cap is reported";
}

TEST_F(ControlsFileTest, MalformedNumbersSpoilOnlyTheirRecord)
{
    TiXmlDocument document =
        Parse("<controls>"
              "<device><index>one</index><control><code>0</code><action>0</action></control>"
              "</device>"
              "<device><index>1</index>"
              "<control><code>2x</code><action>0</action></control>"
              "<control><code>2</code><action>0</action></control>"
              "</device></controls>");
    testsupport::DebugCapture capture;
    m_Manager.LoadControls(document.RootElement());
    EXPECT_EQ(Bindings(m_Manager, 0, 0), (std::vector<std::array<int, 2>>{{kStick, kFire}}));
    EXPECT_TRUE(capture.Contains("[InputManager::LoadControls] : "));

    m_Manager.LoadControls(nullptr);
    m_Manager.SaveControls(nullptr);
}
