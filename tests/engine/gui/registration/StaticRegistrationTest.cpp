// This program names no GUI class: the classes it loads are known to it only through the registrations
// their factories made while the program was constructed. Were the libraries not linked whole, the
// linker would drop those registrations and nothing would load.
#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiWidgetFactory.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

TEST(StaticRegistration, ALayoutOfAClassNoCodeNamesLoads)
{
    EXPECT_EQ(GetWidgetFactoriesByName().count("[TestLabel]"), 1u);
    testsupport::TempDir dir;
    const std::string file =
        dir.Write("panel.kab", "T1.11\n[TestPanel]\nCaption registered\nWeight 2\n"
                               "Name root\nID 7\nPosition 0 0 0 0\nSize 10 0 10 0\n"
                               "Visible true\nChildOrder -1\nClipMode 0\nNumChildren 0\n");
    guiGlyph* root = gui::LoadLayout(file);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetClassName(), "[TestPanel]");
    EXPECT_EQ(root->GetName(), "root");
    EXPECT_EQ(root->GetId(), 7);
    root->Release();
}
