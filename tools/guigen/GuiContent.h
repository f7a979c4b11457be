#pragma once

#include <cstdint>
#include <string>
#include <vector>

class guiGlyph;
class guiScrollBar;

// The interface content the sample install holds: the mouse pointer's picture, the button click and a
// showcase layout of every toolkit class, in text and in binary, with a part that the showcase embeds.
namespace guigen
{

constexpr const char* kCursorFile = "ui/Cursor.tga";
constexpr const char* kShowcaseText = "ui/Showcase.kab";
constexpr const char* kShowcaseBinary = "ui/ShowcaseBinary.kab";
constexpr const char* kShowcasePart = "ui/ShowcasePart.kab";
// Found by its bare name through the "ui" search folder.
constexpr const char* kProfilerLayout = "ui/ProfilerWindow.kab";
// The game asks for "common\messagebox.kab" through the "ui" search folder.
constexpr const char* kMessageBoxLayout = "ui/common/messagebox.kab";
constexpr uint32_t kCursorSide = 32;

// The arrow, BGRA bytes top row first: black edge, white inside, clear around it; the tip at 0, 0.
std::vector<uint8_t> CursorTexels();

// The showcase tree. Its proxy embeds kShowcasePart as the current folder finds it. The caller owns the
// root.
guiGlyph* BuildShowcase();
// The part the showcase embeds. The caller owns the root.
guiGlyph* BuildShowcasePart();

// The profiler's window: a shaded panel and the report's text box "profiler text". The caller owns the
// root.
guiGlyph* BuildProfilerWindow();

// The message box with its six named children, as the GUI manager would build it. The caller owns the
// root.
guiGlyph* BuildMessageBox();

// Without a device no picture gives its size, so a bar's parts get the sizes of the sample pictures.
void SizeScrollBar(guiScrollBar* bar);

// Writes every file under the folder (which must be the current folder or hold the same files, as the
// showcase's proxy finds its part through the current folder). False, with a reason, on failure.
bool WriteContent(const std::string& folder, std::string& error);

} // namespace guigen
