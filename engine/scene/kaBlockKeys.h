#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TiXmlElement;

// Keys of a block kept as the file gave them, so that a save writes them back unchanged: a record's values
// stay with the record, a key the reader does not take is not lost, and a value the reader could not take
// is written back as it was read. Kept elements stay in the order they were kept.
class kaBlockKeys
{
public:
    kaBlockKeys();
    ~kaBlockKeys();
    kaBlockKeys(const kaBlockKeys&) = delete;
    kaBlockKeys& operator=(const kaBlockKeys&) = delete;

    // The block's keys of these names, in the block's order: the first child of a single name, every child
    // of a list name. A name the block holds replaces what was kept under it; the other names stay.
    void Keep(const TiXmlElement* block, const std::vector<std::string>& singles,
              const std::vector<std::string>& lists = {});
    // Every child of the block whose name is not among those read, in the block's order, in place of all
    // that was kept.
    void KeepAllBut(const TiXmlElement* block, const std::vector<std::string>& read);
    // A copy of the element, in place of what was kept under its name (where that was), else last.
    void KeepElement(const TiXmlElement& key);
    // A value the user gave: kept as the key's text from now on.
    void Set(const std::string& key, const std::string& text);
    void Forget(const std::string& key);
    // Takes what the other kept, after what this one keeps; the other is left empty.
    void TakeFrom(kaBlockKeys& other);
    void Clear();
    bool Has(const std::string& key) const;

    // Appends what is kept under the name; false when nothing is.
    bool Write(TiXmlElement* element, const std::string& key) const;
    // Appends what is kept under any of the names, in the order kept.
    void Write(TiXmlElement* element, const std::vector<std::string>& keys) const;
    // Appends everything kept, in the order kept, but the names `skip` answers true for.
    void WriteAll(TiXmlElement* element, const std::function<bool(const std::string&)>& skip = nullptr) const;

private:
    // Copies of the children `take` accepts, in the block's order, after dropping what was kept under
    // the names they carry.
    void _Keep(const TiXmlElement* block, const std::function<bool(const TiXmlElement&)>& take);

    std::vector<std::unique_ptr<TiXmlElement>> m_Keys;
};
