#pragma once

#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiLayout.h"
#include "tests/support/TempDir.h"

#include <string>

namespace testsupport
{

// The glyph written as a whole layout file in one form and loaded back; null when it does not load.
inline guiGlyph* RoundTrip(const guiGlyph& glyph, bool binary, TempDir& dir)
{
    static int files = 0;
    const std::string name = "roundtrip" + std::to_string(++files) + ".kab";
    return gui::LoadLayout(dir.Write(name, gui::FormatLayout(glyph, binary)));
}

} // namespace testsupport
