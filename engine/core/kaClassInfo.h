#pragma once

#include <cstdint>
#include <string>

// The static record of an entity or GUI class: its name, numeric id and parent class. Records are
// static objects that live until exit, so the parent chain can be walked for is-a tests.
class kaClassInfo
{
public:
    kaClassInfo(const std::string& name, uint32_t id, const kaClassInfo* parent);
    virtual ~kaClassInfo() = default;

    const std::string& GetName() const { return m_Name; }
    uint32_t GetId() const { return m_Id; }
    // Null at a root class.
    const kaClassInfo* GetParent() const { return m_Parent; }

private:
    std::string m_Name;
    uint32_t m_Id;
    const kaClassInfo* m_Parent;
};
