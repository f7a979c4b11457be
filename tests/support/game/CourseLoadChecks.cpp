#include "tests/support/game/CourseLoadChecks.h"

#include "editor/MapEditorWindow.h"
#include "editor/SaveLoadWindow.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiCompositeGlyph.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiTextParams.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaWorld.h"
#include "tests/support/DeepXml.h"
#include "tests/support/engine/gui/ListRowPoint.h"
#include "tests/support/game/CourseSaveChecks.h"
#include "tests/support/game/HeadlessGame.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tinyxml.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <utility>

namespace testsupport
{
namespace courseLoads
{

namespace
{

using courseSaves::Occurrences;
using courseSaves::ReadWhole;

// " at row R, column C" of a place in the text, counted from 1 as the XML reader counts.
std::string Where(const std::string& text, size_t offset)
{
    const size_t lineStart = text.rfind('\n', offset);
    const size_t column = lineStart == std::string::npos ? offset : offset - lineStart - 1;
    const size_t row = size_t(std::count(text.begin(), text.begin() + std::ptrdiff_t(offset), '\n')) + 1;
    return " at row " + std::to_string(row) + ", column " + std::to_string(column + 1);
}

// A click on a row of a list, where the list draws it.
void ClickRow(HeadlessGame& game, const std::function<guiListBox*()>& list, const std::string& text)
{
    game.ClickAt([list, text](int32_t& x, int32_t& y) { return ListRowPoint(list(), text, x, y); });
}

// The yard with the id of one entity given to the one after it: the load keeps the first. The entity left
// out is named as the editor names it, with the entity that holds the id.
std::string WithRepeatedId(const std::string& yard, std::string& leftOut)
{
    TiXmlDocument document;
    document.Parse(yard.c_str());
    TiXmlElement* entities =
        document.RootElement() ? document.RootElement()->FirstChildElement("Entities") : nullptr;
    TiXmlElement* first = entities ? entities->FirstChildElement("Entity") : nullptr;
    for (int skip = 0; skip < 3 && first != nullptr; ++skip)
        first = first->NextSiblingElement("Entity");
    TiXmlElement* second = first ? first->NextSiblingElement("Entity") : nullptr;
    if (second == nullptr)
        return "";
    const std::string id = first->FirstChildElement("entityID")->GetText();
    TiXmlElement* key = second->FirstChildElement("entityID");
    key->Clear();
    key->InsertEndChild(TiXmlText(id));
    leftOut = std::string(second->FirstChildElement("type")->GetText()) + " \"" +
              second->FirstChildElement("name")->GetText() + "\" (id " + id + "): entityID \"" + id +
              "\", already " + first->FirstChildElement("type")->GetText() + " \"" +
              first->FirstChildElement("name")->GetText() + "\"";
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.Str();
}

std::string Printed(const TiXmlNode& node)
{
    TiXmlPrinter printer;
    printer.SetStreamPrinting();
    node.Accept(&printer);
    return printer.Str();
}

std::string ChildText(const TiXmlElement* block, const char* key)
{
    const TiXmlElement* child = block != nullptr ? block->FirstChildElement(key) : nullptr;
    return child != nullptr && child->GetText() != nullptr ? child->GetText() : "";
}

void SetChildText(TiXmlElement& block, const char* key, const std::string& text)
{
    TiXmlElement* child = block.FirstChildElement(key);
    child->Clear();
    if (!text.empty())
        child->InsertEndChild(TiXmlText(text));
}

std::string RowOf(const std::string& text, size_t offset)
{
    return std::to_string(std::count(text.begin(), text.begin() + std::ptrdiff_t(offset), '\n') + 1);
}

// A copy of an entity block under another element name, name and id.
TiXmlElement Pasted(const TiXmlElement& block, const char* element, const char* name, const char* id)
{
    TiXmlElement copy = block;
    copy.SetValue(element);
    SetChildText(copy, "name", name);
    SetChildText(copy, "entityID", id);
    return copy;
}

// The stunt yard with the blocks pasted and the ids changed, as ExpectUnreadBlocksAndUnusableIdsKept says.
struct PastedYard
{
    std::string text;
    // The load box's lines, in order.
    std::vector<std::string> box;
    // The entities given a new id: their names, and their lines in the box but for the new id.
    std::vector<std::pair<std::string, std::string>> renumbered;
    // The blocks pasted among the entities, each with the name of the entity before it.
    std::vector<std::pair<std::string, std::string>> inList;
    std::string laterList;
    std::string afterRoot;
    size_t entities = 0;
};

PastedYard PasteIntoYard(const std::string& yard)
{
    PastedYard pasted;
    TiXmlDocument document;
    document.Parse(yard.c_str());
    TiXmlElement* root = document.RootElement();
    TiXmlElement* list = root != nullptr ? root->FirstChildElement("Entities") : nullptr;
    std::vector<TiXmlElement*> blocks;
    for (TiXmlElement* block = list != nullptr ? list->FirstChildElement("Entity") : nullptr;
         block != nullptr; block = block->NextSiblingElement("Entity"))
        blocks.push_back(block);
    if (blocks.size() < 12)
        return pasted;
    pasted.entities = blocks.size();
    const std::string type2 = ChildText(blocks[2], "type");
    const TiXmlElement lower = Pasted(*blocks[2], "entity", "Pasted", "40");
    const TiXmlElement typo = Pasted(*blocks[2], "Entiti", "Typo", "41");
    list->InsertAfterChild(blocks[3], lower);
    list->InsertEndChild(typo);
    pasted.inList = {{Printed(lower), ChildText(blocks[3], "name")},
                     {Printed(typo), ChildText(blocks.back(), "name")}};
    // Entities pasted from another course with their list, ids and all.
    TiXmlElement second("Entities");
    second.InsertEndChild(Pasted(*blocks[9], "Entity", "Other1", "1"));
    second.InsertEndChild(Pasted(*blocks[10], "Entity", "Other2", "2"));
    root->InsertAfterChild(list, second);
    TiXmlElement course("World");
    course.InsertEndChild(TiXmlElement("name"))->InsertEndChild(TiXmlText("Pasted Course"));
    course.InsertEndChild(TiXmlElement("Entities"))
        ->InsertEndChild(Pasted(*blocks[11], "Entity", "Other3", "1"));
    document.InsertEndChild(course);
    pasted.laterList = Printed(second);
    pasted.afterRoot = Printed(course);

    const char* const ids[] = {"", "-0", "000", "3abc"};
    for (size_t i = 0; i < 4; ++i)
    {
        TiXmlElement& block = *blocks[5 + i];
        SetChildText(block, "entityID", ids[i]);
        const std::string where = i == 0 ? "entity 6 of the file" : std::string("id ") + ids[i];
        pasted.renumbered.push_back(
            {ChildText(&block, "name"), ChildText(&block, "type") + " \"" + ChildText(&block, "name") +
                                            "\" (" + where + "): entityID \"" + ids[i] + "\""});
    }

    TiXmlPrinter printer;
    document.Accept(&printer);
    pasted.text = printer.Str();
    const std::string& text = pasted.text;
    const size_t laterAt = text.find("<Entities>", text.find("<Entities>") + 1);
    const std::string later = ", in a later Entities at row " + RowOf(text, laterAt);
    pasted.box = {
        MapEditorWindow::kUnreadIntro,
        "<entity> " + type2 + " \"Pasted\" (id 40) at row " + RowOf(text, text.find("<entity>")),
        "<Entiti> " + type2 + " \"Typo\" (id 41) at row " + RowOf(text, text.find("<Entiti>")),
        "<Entity> " + ChildText(blocks[9], "type") + " \"Other1\" (id 1) at row " +
            RowOf(text, text.rfind("<Entity>", text.find("<name>Other1</name>"))) + later,
        "<Entity> " + ChildText(blocks[10], "type") + " \"Other2\" (id 2) at row " +
            RowOf(text, text.rfind("<Entity>", text.find("<name>Other2</name>"))) + later,
        "<World> \"Pasted Course\" at row " + RowOf(text, text.rfind("<World>")) + ", after the root",
        MapEditorWindow::kNewIdIntro,
    };
    return pasted;
}

// The saved course holds each pasted block as it was pasted, where it stood.
void ExpectPastedBlocksWhereTheyStood(const PastedYard& pasted, const std::string& saved)
{
    TiXmlDocument document;
    document.Parse(saved.c_str());
    ASSERT_FALSE(document.Error()) << saved;
    const TiXmlElement* root = document.FirstChildElement("World");
    ASSERT_NE(root, nullptr);
    ASSERT_NE(root->NextSiblingElement(), nullptr);
    EXPECT_EQ(Printed(*root->NextSiblingElement()), pasted.afterRoot);
    EXPECT_EQ(root->NextSiblingElement()->NextSiblingElement(), nullptr);
    const TiXmlElement* list = root->FirstChildElement("Entities");
    ASSERT_NE(list, nullptr);
    ASSERT_NE(list->NextSiblingElement(), nullptr);
    EXPECT_EQ(Printed(*list->NextSiblingElement()), pasted.laterList);
    size_t entities = 0;
    std::vector<std::pair<std::string, std::string>> inList;
    for (const TiXmlElement* child = list->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement())
    {
        if (child->ValueStr() == "Entity")
            ++entities;
        else
            inList.push_back({Printed(*child), ChildText(child->PreviousSibling()->ToElement(), "name")});
    }
    EXPECT_EQ(entities, pasted.entities);
    EXPECT_EQ(inList, pasted.inList);
}

} // namespace

std::vector<Damage> DamagedYards(const std::string& install)
{
    const std::string yard = ReadWhole(install + "/" + courseSaves::kStuntYard);
    std::vector<Damage> damaged;
    if (yard.empty())
        return damaged;

    // A closing tag misspelt: the reader stops at it.
    std::string misspelt = yard;
    const size_t tag = misspelt.find("</position>");
    if (tag != std::string::npos)
        misspelt.replace(tag, std::string("</position>").size(), "</positon>");
    damaged.push_back({"misspelt_tag", misspelt, "Error reading end tag" + Where(misspelt, tag)});

    // Elements nested past the guard inside the first entity, which is three levels down: the guard stops
    // at the element that opens level 257.
    std::string deep = yard;
    const size_t entity = deep.find("<Entity>");
    const size_t inside = entity + std::string("<Entity>").size();
    deep.insert(inside, DeepXml("n", 300));
    damaged.push_back({"nested_too_deep", deep,
                       "elements nested deeper than 256 levels" + Where(deep, inside + (253 * 3))});

    // Well-formed, but not a world.
    std::string other = yard;
    other.replace(other.find("<World>"), 7, "<Wordl>");
    other.replace(other.rfind("</World>"), 8, "</Wordl>");
    damaged.push_back({"other_root", other,
                       "the root element is \"Wordl\", not \"World\"" + Where(other, other.find("<Wordl>"))});

    // A second course pasted after a note: the reader stops at the note without an error, so a save of what
    // it read would lose the rest.
    const std::string note = "Pasted from the gear run:\n";
    const std::string pasted = yard + note + "<World><name>Gear Run</name></World>\n";
    damaged.push_back(
        {"text_after_the_root", pasted,
         "text outside the elements" + Where(pasted, yard.size()) + ", where the reader stops"});

    // The same behind a NUL byte, where the reading of the file ends.
    const std::string nul = yard + std::string(1, '\0') + "<World><name>Gear Run</name></World>\n";
    damaged.push_back(
        {"nul_after_the_root", nul, "a NUL byte" + Where(nul, yard.size()) + ", where the reader stops"});
    return damaged;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

std::string ShownBox::Text() const
{
    std::string text;
    for (const Piece& piece : pieces)
        text += piece.text;
    return text;
}

void AnswerBox(HeadlessGame& game, const std::string& button, ShownBox& box)
{
    // The box shows at the update after the command that asked for it; a few frames are given.
    for (int frame = 0; frame < 4; ++frame)
    {
        game.Queue(
            [&game, &box]
            {
                MessageBoxWindow* shown = game.Gui().GetMessageBox();
                if (box.shown || shown == nullptr || !shown->IsVisible() || shown->GetTextArea() == nullptr)
                    return;
                box.shown = true;
                box.markup = shown->GetTextArea()->GetText();
                for (const guiCompositeGlyph::Entry& entry :
                     shown->GetTextArea()->GetComposition()->GetEntries())
                {
                    const auto* text = dynamic_cast<const guiTextParams*>(entry.params);
                    if (text != nullptr)
                        box.pieces.push_back({text->text, text->font, text->foreColor});
                }
            });
    }
    // No box, no click: the press would land on the editor's view.
    game.ClickWidget(
        [&game, button]() -> guiWidget*
        {
            MessageBoxWindow* shown = game.Gui().GetMessageBox();
            guiGlyph* glyph = shown != nullptr && shown->IsVisible() ? shown->FindChild(button) : nullptr;
            return glyph != nullptr ? glyph->DynamicCast<guiWidget>() : nullptr;
        });
}

void LoadThroughTheDialog(HeadlessGame& game, MapEditorWindow& editor, const std::string& row)
{
    auto dialog = [&game]
    { return dynamic_cast<SaveLoadWindow*>(game.Gui().FindWindow(SaveLoadWindow::kWindowName)); };
    game.Click(editor.GetName(), "file button");
    ClickRow(
        game, [&editor] { return editor.FindChild("file menu")->DynamicCast<guiListBox>(); },
        "Load World...");
    ClickRow(
        game, [dialog] { return dialog() != nullptr ? dialog()->GetFileList() : nullptr; }, row);
    game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName);
}

bool LoadAnsweringTheBox(HeadlessGame& game, MapEditorWindow& editor, const std::string& row, ShownBox& box)
{
    LoadThroughTheDialog(game, editor, row);
    AnswerBox(game, MessageBoxWindow::kOkName, box);
    return game.RunScript(3) && box.shown;
}

void SaveWithCtrlS(HeadlessGame& game)
{
    game.TapKey(SDL_SCANCODE_S, HeadlessGame::kCtrl);
}

void NameInTheSaveDialog(HeadlessGame& game, const std::string& name)
{
    game.ClickWidget(
        [&game]() -> guiWidget*
        {
            auto* dialog = dynamic_cast<SaveLoadWindow*>(game.Gui().FindWindow(SaveLoadWindow::kWindowName));
            return dialog != nullptr ? dialog->GetFileNameBox() : nullptr;
        });
    game.PressKey(guiTextBox::kKeyEnd);
    // Longer than any name the dialog starts with.
    for (int i = 0; i < 24; ++i)
        game.PressKey(guiTextBox::kKeyBackspace);
    game.Type(name);
    game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName);
}

void ExpectUnreadableCoursesLeftAlone(HeadlessGame& game, MapEditorWindow& editor)
{
    const std::string install = game.InstallPath();
    const std::vector<Damage> damaged = DamagedYards(install);
    ASSERT_EQ(damaged.size(), 5u);
    for (const Damage& damage : damaged)
    {
        SCOPED_TRACE(damage.label);
        const std::string file = install + "/Worlds/" + damage.label + ".xml";
        std::ofstream(file, std::ios::binary) << damage.text;
        kaWorld* world = editor.GetWorld();
        const int32_t entities = world != nullptr ? world->GetEntityCount() : 0;
        const std::string name = editor.GetWorldName();

        LoadThroughTheDialog(game, editor, std::string("Worlds\\") + damage.label);
        ShownBox box;
        AnswerBox(game, MessageBoxWindow::kOkName, box);
        SaveWithCtrlS(game);
        ASSERT_TRUE(game.RunScript(3));

        EXPECT_EQ(ReadWhole(file), damage.text);
        EXPECT_TRUE(box.shown);
        EXPECT_NE(box.Text().find(std::string(damage.label) + ".xml:"), std::string::npos) << box.Text();
        EXPECT_NE(box.Text().find("\n" + damage.error + ".\n"), std::string::npos) << box.Text();
        EXPECT_EQ(editor.GetWorld(), world);
        EXPECT_EQ(editor.GetWorld() != nullptr ? editor.GetWorld()->GetEntityCount() : 0, entities);
        EXPECT_EQ(editor.GetWorldName(), name);
        EXPECT_EQ(editor.GetFileNameBox()->GetText(), name);
    }
}

void ExpectSaveAsksBeforeLeavingOut(HeadlessGame& game, MapEditorWindow& editor)
{
    const std::string install = game.InstallPath();
    std::string leftOut;
    const std::string repeated = WithRepeatedId(ReadWhole(install + "/" + courseSaves::kStuntYard), leftOut);
    ASSERT_FALSE(repeated.empty());
    const std::string file = install + "/Worlds/repeated_id.xml";
    std::ofstream(file, std::ios::binary) << repeated;
    LoadThroughTheDialog(game, editor, "Worlds\\repeated_id");
    ShownBox loaded;
    AnswerBox(game, MessageBoxWindow::kOkName, loaded);
    ASSERT_TRUE(game.RunScript(3));
    ASSERT_NE(editor.GetWorld(), nullptr);
    EXPECT_EQ(editor.GetWorldName(), "repeated_id.xml");

    // Cancel writes nothing.
    ShownBox cancelled;
    SaveWithCtrlS(game);
    AnswerBox(game, MessageBoxWindow::kCancelName, cancelled);
    ASSERT_TRUE(game.RunScript(3));
    EXPECT_TRUE(cancelled.shown);
    EXPECT_NE(cancelled.Text().find("\n" + leftOut + "\n"), std::string::npos) << cancelled.Text();
    EXPECT_EQ(ReadWhole(file), repeated);

    // Save writes the course without it.
    ShownBox saved;
    SaveWithCtrlS(game);
    AnswerBox(game, MessageBoxWindow::kOkName, saved);
    ASSERT_TRUE(game.RunScript(3));
    EXPECT_TRUE(saved.shown);
    EXPECT_NE(saved.Text().find("\n" + leftOut + "\n"), std::string::npos) << saved.Text();
    const std::string written = ReadWhole(file);
    EXPECT_EQ(Occurrences(written, "<Entity>"), Occurrences(repeated, "<Entity>") - 1);
    EXPECT_TRUE(editor.IsSaved());

    // The choice holds for this world: the next save writes at once.
    std::filesystem::remove(file);
    ShownBox again;
    SaveWithCtrlS(game);
    AnswerBox(game, MessageBoxWindow::kCancelName, again);
    ASSERT_TRUE(game.RunScript(3));
    EXPECT_FALSE(again.shown);
    EXPECT_EQ(Occurrences(ReadWhole(file), "<Entity>"), Occurrences(written, "<Entity>"));
}

void ExpectUnreadBlocksAndUnusableIdsKept(HeadlessGame& game, MapEditorWindow& editor)
{
    const std::string install = game.InstallPath();
    const PastedYard pasted = PasteIntoYard(ReadWhole(install + "/" + courseSaves::kStuntYard));
    ASSERT_FALSE(pasted.text.empty());
    const std::string file = install + "/Worlds/pasted.xml";
    std::ofstream(file, std::ios::binary) << pasted.text;
    std::string first;
    for (int round = 0; round < 2; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        ShownBox loaded;
        ASSERT_TRUE(LoadAnsweringTheBox(game, editor, "Worlds\\pasted", loaded));
        kaWorld* world = editor.GetWorld();
        ASSERT_NE(world, nullptr);
        EXPECT_EQ(editor.GetWorldName(), "pasted.xml");
        const std::vector<std::string> lines = Lines(loaded.Text());
        if (round == 0)
        {
            // Every block named, then every new id with the id the entity is saved under.
            std::vector<std::string> expected = pasted.box;
            for (const auto& [name, line] : pasted.renumbered)
            {
                const kaEntity* entity = world->FindEntityByName(name);
                ASSERT_NE(entity, nullptr) << name;
                expected.push_back(line + ", new id " + std::to_string(entity->GetEntityID()));
            }
            EXPECT_EQ(lines, expected) << loaded.Text();
        }
        else
        {
            // The ids are the file's own now; the blocks are still named, each once.
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.front(), MapEditorWindow::kUnreadIntro);
            EXPECT_EQ(lines.size(), pasted.box.size() - 1) << loaded.Text();
        }
        // Only the save brings the file back.
        std::filesystem::remove(file);
        SaveWithCtrlS(game);
        ASSERT_TRUE(game.RunScript(3));
        EXPECT_TRUE(editor.IsSaved());
        const std::string saved = ReadWhole(file);
        ExpectPastedBlocksWhereTheyStood(pasted, saved);
        TiXmlDocument document;
        document.Parse(saved.c_str());
        const TiXmlElement* list = document.RootElement()->FirstChildElement("Entities");
        for (const auto& renumbered : pasted.renumbered)
        {
            const kaEntity* entity = world->FindEntityByName(renumbered.first);
            ASSERT_NE(entity, nullptr);
            const TiXmlElement* block = list->FirstChildElement("Entity");
            while (block != nullptr && ChildText(block, "name") != renumbered.first)
                block = block->NextSiblingElement("Entity");
            ASSERT_NE(block, nullptr) << renumbered.first;
            EXPECT_EQ(ChildText(block, "entityID"), std::to_string(entity->GetEntityID()));
        }
        if (round == 0)
            first = saved;
        else
            EXPECT_EQ(saved, first);
    }
}

namespace
{

// Sets the text of the element the path leads to from the root; false when there is none.
bool SetText(TiXmlElement* root, const std::vector<const char*>& path, const char* text)
{
    TiXmlElement* element = root;
    for (const char* name : path)
        element = element != nullptr ? element->FirstChildElement(name) : nullptr;
    if (element == nullptr)
        return false;
    element->Clear();
    element->InsertEndChild(TiXmlText(text));
    return true;
}

// A note in the load box as the designer reads it.
std::string NamedValue(const kaWorld::MalformedValue& value)
{
    return (value.entity.empty() ? "" : value.entity + ": ") + value.key + " \"" + value.text + "\"" +
           (value.reason.empty() ? "" : ": " + value.reason);
}

} // namespace

std::string ExpectCourseValuesKeptAsRead(HeadlessGame& game, MapEditorWindow& editor)
{
    const std::string install = game.InstallPath();
    TiXmlDocument document;
    document.Parse(ReadWhole(install + "/" + courseSaves::kStuntYard).c_str());
    TiXmlElement* root = document.RootElement();
    EXPECT_NE(root, nullptr);
    if (root == nullptr)
        return "";
    const struct
    {
        std::vector<const char*> path;
        const char* text;
        // The element as the saved file must hold it, once.
        const char* element;
    } damage[] = {
        {{"arena"}, "StuntYrad", "<arena>StuntYrad</arena>"},
        {{"startpoint", "x"}, "-4O", "<x>-4O</x>"},
        {{"startrotation", "quaternion", "y"}, "O", "<y>O</y>"},
        {{"timeLimit"}, "6O", "<timeLimit>6O</timeLimit>"},
        {{"scoreLimit"}, "1OO", "<scoreLimit>1OO</scoreLimit>"},
        {{"repPointFactor"}, "O.2", "<repPointFactor>O.2</repPointFactor>"},
        {{"Sun", "position"}, "O.5", "<position>O.5</position>"},
        {{"Sun", "greenambient"}, "1e39", "<greenambient>1e39</greenambient>"},
    };
    for (const auto& d : damage)
        EXPECT_TRUE(SetText(root, d.path, d.text)) << d.element;
    TiXmlElement* list = root->FirstChildElement("Entities");
    EXPECT_NE(list, nullptr);
    if (list == nullptr)
        return "";
    list->InsertBeforeChild(list->FirstChild(), TiXmlText("pasted note"));
    TiXmlElement states("EntitiesStates");
    states.InsertEndChild(TiXmlElement("Entity"))
        ->InsertEndChild(TiXmlElement("entityID"))
        ->InsertEndChild(TiXmlText("1"));
    root->InsertEndChild(states);
    TiXmlPrinter printer;
    document.Accept(&printer);
    const std::string file = install + "/Worlds/yard_values.xml";
    std::ofstream(file, std::ios::binary) << printer.Str();

    ShownBox loaded;
    EXPECT_TRUE(LoadAnsweringTheBox(game, editor, "Worlds\\yard_values", loaded));
    kaWorld* world = editor.GetWorld();
    EXPECT_NE(world, nullptr);
    if (world == nullptr)
        return "";
    EXPECT_EQ(world->GetVenueEntity(), nullptr);
    // The blocks not read, then the values, as many as the box names before it counts the rest.
    std::vector<std::string> expected = {MapEditorWindow::kUnreadIntro,
                                         "text \"pasted note\" at row " +
                                             RowOf(printer.Str(), printer.Str().find("pasted note")) +
                                             ", among the entities",
                                         MapEditorWindow::kMalformedIntro};
    const std::vector<kaWorld::MalformedValue>& values = world->GetMalformedValues();
    for (size_t i = 0; i < values.size() && i < MapEditorWindow::kMalformedLines; ++i)
        expected.push_back(NamedValue(values[i]));
    if (values.size() > MapEditorWindow::kMalformedLines)
        expected.push_back("and " + std::to_string(values.size() - MapEditorWindow::kMalformedLines) +
                           " more.");
    EXPECT_EQ(Lines(loaded.Text()), expected) << loaded.Text();
    for (const char* named : {"startpoint x \"-4O\"", "venue \"StuntYrad\": no venue of that name"})
        EXPECT_NE(loaded.Text().find("\n" + std::string(named) + "\n"), std::string::npos) << loaded.Text();
    for (const std::string sun : {"Sun: position \"O.5\"", "Sun: greenambient \"1e39\""})
        EXPECT_NE(std::find_if(values.begin(), values.end(),
                               [&sun](const kaWorld::MalformedValue& value)
                               { return NamedValue(value) == sun; }),
                  values.end())
            << sun;

    std::filesystem::remove(file);
    SaveWithCtrlS(game);
    EXPECT_TRUE(game.RunScript(3));
    EXPECT_TRUE(editor.IsSaved());
    const std::string saved = ReadWhole(file);
    for (const auto& d : damage)
        EXPECT_EQ(Occurrences(saved, d.element), 1) << d.element << "\n" << saved;
    for (const char* kept : {"pasted note", "<EntitiesStates>"})
        EXPECT_EQ(Occurrences(saved, kept), 1) << kept << "\n" << saved;
    return file;
}

void ExpectReadOnlyCourseKeptAndSavedAs(HeadlessGame& game, MapEditorWindow& editor)
{
    const std::string install = game.InstallPath();
    const std::string yard = ReadWhole(install + "/" + courseSaves::kStuntYard);
    ASSERT_FALSE(yard.empty());
    const std::string file = install + "/Worlds/kept_yard.xml";
    std::ofstream(file, std::ios::binary) << yard;
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    struct stat before;
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    LoadThroughTheDialog(game, editor, "Worlds\\kept_yard");
    ASSERT_TRUE(game.RunScript(3));
    ASSERT_NE(editor.GetWorld(), nullptr);
    ASSERT_EQ(editor.GetWorldName(), "kept_yard.xml");

    ShownBox refused;
    SaveWithCtrlS(game);
    AnswerBox(game, MessageBoxWindow::kOkName, refused);
    ASSERT_TRUE(game.RunScript(3));
    EXPECT_TRUE(refused.shown);
    EXPECT_NE(refused.Text().find("Not saved: Worlds\\kept_yard.xml is read-only.\n"), std::string::npos)
        << refused.Text();
    EXPECT_NE(refused.Text().find("Save World As..."), std::string::npos) << refused.Text();
    EXPECT_EQ(ReadWhole(file), yard);
    struct stat info;
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, mode_t(0444));
    // The same file, not another one made in its place.
    EXPECT_EQ(info.st_ino, before.st_ino);
    EXPECT_FALSE(editor.IsSaved());

    // Under another name the course is saved, and the protected file still keeps its bytes.
    auto dialog = [&game]
    { return dynamic_cast<SaveLoadWindow*>(game.Gui().FindWindow(SaveLoadWindow::kWindowName)); };
    game.Click(editor.GetName(), "file button");
    ClickRow(
        game, [&editor] { return editor.FindChild("file menu")->DynamicCast<guiListBox>(); },
        "Save World As...");
    game.ClickWidget([dialog]() -> guiWidget*
                     { return dialog() != nullptr ? dialog()->GetFileNameBox() : nullptr; });
    game.PressKey(guiTextBox::kKeyEnd);
    for (int i = 0; i < 24; ++i)
        game.PressKey(guiTextBox::kKeyBackspace);
    game.Type("kept copy");
    game.Click(SaveLoadWindow::kWindowName, SaveLoadWindow::kOkName);
    ASSERT_TRUE(game.RunScript(3));
    const std::string copy = ReadWhole(install + "/Worlds/kept copy.xml");
    EXPECT_EQ(Occurrences(copy, "<Entity>"), Occurrences(yard, "<Entity>"));
    EXPECT_TRUE(editor.IsSaved());
    EXPECT_EQ(editor.GetWorldName(), "kept copy.xml");
    EXPECT_EQ(ReadWhole(file), yard);
}

} // namespace courseLoads
} // namespace testsupport
