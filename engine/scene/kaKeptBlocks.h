#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class TiXmlElement;
class TiXmlNode;

// Elements of a world file that no reader of the world takes, kept as the file gave them so that a save
// writes each back where it stood: children of the entity list that are not entity blocks (and text typed
// between them), among the entity blocks; the entity states of a load that did not restore them; entity lists
// after the first, after the world's own; keys of the root given again, after the one read; elements beside
// the root, before or after it.
class kaKeptBlocks
{
public:
    kaKeptBlocks();
    ~kaKeptBlocks();
    kaKeptBlocks(const kaKeptBlocks&) = delete;
    kaKeptBlocks& operator=(const kaKeptBlocks&) = delete;

    void Clear();
    bool IsEmpty() const;

    // The entity list as it is read, in the file's order: the entity of each block the world kept, by its
    // identifier, and each child kept as read, standing after the entities noted so far.
    void NoteListEntity(int32_t id);
    // A child of the list kept as read: an element, or text typed between the entities.
    void KeepInList(const TiXmlNode& node);
    void KeepLaterList(const TiXmlElement& list);
    void KeepBeforeRoot(const TiXmlElement& element);
    void KeepAfterRoot(const TiXmlElement& element);
    // A key of the root given again after the one its reader took.
    void KeepRepeat(const TiXmlElement& element);
    // Text typed among the root's keys, after the key of that name ("" at the start).
    void KeepInRoot(const TiXmlNode& text, const std::string& after);
    // The entity states of a file loaded without them, to be written back by a save that writes none.
    void KeepStates(const TiXmlElement& states);

    // Writes the entity list: `writeEntity(i)` appends the block of the i-th entity of `ids`, the identifiers
    // of the entities saved, in their order. A kept child follows the nearest entity before it in the file
    // that is still saved, else opens the list; children at one place keep their order.
    void WriteList(TiXmlElement* list, const std::vector<int32_t>& ids,
                   const std::function<void(size_t)>& writeEntity) const;
    // Appends the later entity lists to the root.
    void WriteLaterLists(TiXmlElement* root) const;
    // Appends the entity states kept; false when none were.
    bool WriteStates(TiXmlElement* root) const;
    // Appends what stood before or after the root to the document.
    void WriteBeforeRoot(TiXmlNode* document) const;
    void WriteAfterRoot(TiXmlNode* document) const;
    // Puts each repeated key back after the last key of its name the root holds, else at its end.
    void WriteRepeats(TiXmlElement* root) const;
    // Puts the root's text back after the last key of the name it followed, else at the root's start.
    void WriteInRoot(TiXmlElement* root) const;

private:
    struct InList
    {
        std::unique_ptr<TiXmlNode> node;
        // How many of the list's entities stood before it.
        size_t after = 0;
    };

    // The identifiers of the list's entities, in the file's order.
    std::vector<int32_t> m_ListIds;
    std::vector<InList> m_InList;
    std::vector<std::unique_ptr<TiXmlElement>> m_LaterLists;
    std::vector<std::unique_ptr<TiXmlElement>> m_BeforeRoot;
    std::vector<std::unique_ptr<TiXmlElement>> m_AfterRoot;
    std::vector<std::unique_ptr<TiXmlElement>> m_Repeats;
    std::unique_ptr<TiXmlElement> m_States;
    std::vector<std::pair<std::string, std::unique_ptr<TiXmlNode>>> m_InRoot;
};
