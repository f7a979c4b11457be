#pragma once

#include <memory>

class TiXmlElement;

// An XML element kept as it was read, written back unchanged: its attributes and children are copied into
// the element the writer gives. Lets an environment object round-trip its block before it reads the keys.
class kaKeptElement
{
public:
    kaKeptElement();
    ~kaKeptElement();
    kaKeptElement(const kaKeptElement&) = delete;
    kaKeptElement& operator=(const kaKeptElement&) = delete;

    // Keeps a copy; a null element forgets the kept one.
    void Keep(const TiXmlElement* element);
    void WriteInto(TiXmlElement* element) const;
    const TiXmlElement* Get() const { return m_pElement.get(); }

private:
    std::unique_ptr<TiXmlElement> m_pElement;
};
