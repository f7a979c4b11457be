#pragma once

// What both editors must do with a course they cannot read, or cannot keep whole: the same checks, driven
// through either editor's file menu, its message boxes and Ctrl+S, every click and key an SDL event.

#include "engine/core/kaColor.h"

#include <string>
#include <vector>

class MapEditorWindow;

namespace testsupport
{

class HeadlessGame;

namespace courseLoads
{

// The stunt yard of the install, damaged as a hand edit or a hostile file damages it, and the words with
// which the editor must name what stopped the reading, row and column included.
struct Damage
{
    const char* label;
    std::string text;
    std::string error;
};
std::vector<Damage> DamagedYards(const std::string& install);

// The text's lines, without their line ends.
std::vector<std::string> Lines(const std::string& text);

// A message box as it showed: its mark-up, and the texts its display box parsed out of it, in order, each
// with its font and colour.
struct ShownBox
{
    struct Piece
    {
        std::string text;
        std::string font;
        kaColor color;
    };
    bool shown = false;
    std::string markup;
    std::vector<Piece> pieces;
    // The parsed texts joined, as the box writes them.
    std::string Text() const;
};

// Queues a read of the message box once it shows, then a click on its button of that name.
void AnswerBox(HeadlessGame& game, const std::string& button, ShownBox& box);
// "Load World..." from the file menu, the dialog's row clicked, and ok.
void LoadThroughTheDialog(HeadlessGame& game, MapEditorWindow& editor, const std::string& row);
// The same, then the load box read and answered with Ok; false unless the frames ran and the box showed.
bool LoadAnsweringTheBox(HeadlessGame& game, MapEditorWindow& editor, const std::string& row, ShownBox& box);
void SaveWithCtrlS(HeadlessGame& game);
// Once the save dialog shows: its file name box cleared, the name typed, and ok.
void NameInTheSaveDialog(HeadlessGame& game, const std::string& name);

// Each damaged yard loaded through the dialog and Ctrl+S pressed: the box names the file and the error, the
// editor keeps the world it had under its name, and the damaged file keeps its bytes.
void ExpectUnreadableCoursesLeftAlone(HeadlessGame& game, MapEditorWindow& editor);
// A course with a repeated id: Ctrl+S asks first, naming the entity; Cancel writes nothing, Save writes the
// course without it, and a later save of the same world does not ask again.
void ExpectSaveAsksBeforeLeavingOut(HeadlessGame& game, MapEditorWindow& editor);
// A course made read-only, loaded through the dialog: Ctrl+S is refused with a box that names the file, which
// keeps its bytes and its mode; Save World As... then saves the course under another name.
void ExpectReadOnlyCourseKeptAndSavedAs(HeadlessGame& game, MapEditorWindow& editor);

// The stunt yard with blocks pasted where no reader takes them (an "entity" and an "Entiti" among the
// entities, a second entity list, a second course after the root) and entities whose ids no run takes (empty,
// "-0" and "000" beside the venue's 0, "3abc"): the load box names each block and each new id under words of
// their own, every entity stays, and two saves write each block back where it stood, the second save the
// first's bytes.
void ExpectUnreadBlocksAndUnusableIdsKept(HeadlessGame& game, MapEditorWindow& editor);

// The stunt yard saying of itself what no reader can use: a venue no record makes, a start coordinate and a
// rotation's component that are no number, Sun keys past the floats, course rules that are no number; with a
// note typed among the entities and the entity states a run restores. Loaded through the dialog, the box
// names each value under the words for values not read, by its key (a Sun key after "Sun: "), and the note
// under the blocks not read; Ctrl+S writes each back once, as the file gave it. The name of the course file
// in the install.
std::string ExpectCourseValuesKeptAsRead(HeadlessGame& game, MapEditorWindow& editor);

} // namespace courseLoads
} // namespace testsupport
