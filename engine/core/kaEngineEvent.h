#pragma once

#include <cstdint>
#include <string>

// An event the engine broadcasts to registered callbacks by id, such as device loss (-1) and device
// reset (-2). Each callback gets its own copy.
class kaEngineEvent
{
public:
    explicit kaEngineEvent(int32_t id = 0, const std::string& text = std::string(), int32_t value = 0)
        : m_Id(id), m_Text(text), m_Value(value)
    {
    }
    virtual ~kaEngineEvent() = default;

    int32_t GetId() const { return m_Id; }
    const std::string& GetText() const { return m_Text; }
    int32_t GetValue() const { return m_Value; }

private:
    int32_t m_Id;
    std::string m_Text;
    int32_t m_Value;
};
