#include "game/app/Tarvolin.h"
#include "game/screens/NewPlayerWindow.h"
#include "tests/support/game/InstallFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

struct NameCase
{
    std::vector<std::string> present;
    std::string typed;
    std::string expected;
};

} // namespace

TEST(NewPlayerNamesTest, ATakenNameGetsTheNextFreeCounter)
{
    gametest::InstallFolder install;
    const NameCase cases[] = {
        {{"Max"}, "Max", "Max(2)"},
        {{"Max", "Max(2)"}, "Max", "Max(3)"},
        {{"Max(9)"}, "Max(9)", "Max(10)"},
        {{"Max(10)"}, "Max(10)", "Max(10)(2)"},
        {{"Max(2)", "Max(3)"}, "Max(2)", "Max(4)"},
        // Too short for a tail: the counter goes on the whole name.
        {{"Jo"}, "Jo", "Jo(2)"},
        {{"J"}, "J", "J(2)"},
        {{"Jo", "Jo(2)"}, "Jo", "Jo(3)"},
        // A tail that is no number counts from 0.
        {{"Max(x)"}, "Max(x)", "Max(1)"},
        // Names compare exactly.
        {{"max"}, "Max", "Max"},
        {{"Max"}, "max", "max"},
        {{"Max"}, "Ma", "Ma"},
        // An empty name is never a profile's name: profiles without one are "Unnamed".
        {{"Unnamed"}, "", ""},
        {{}, "Ann", "Ann"},
    };
    for (const NameCase& test : cases)
    {
        Tarvolin app;
        for (const std::string& name : test.present)
            app.CreatePlayer(name);
        EXPECT_EQ(NewPlayerWindow::UniqueName(app, test.typed), test.expected)
            << test.typed << " with " << test.present.size() << " present";
    }
}
