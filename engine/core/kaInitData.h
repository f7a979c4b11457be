#pragma once

#include <string>
#include <vector>

class TiXmlElement;

// One init-data record: its "data" element, which stays inside the database's loaded document, and
// the unique ids it includes, in document order.
class kaInitData
{
public:
    kaInitData(TiXmlElement* data, std::vector<std::string> includes)
        : m_pData(data), m_Includes(std::move(includes))
    {
    }

    TiXmlElement* GetData() const { return m_pData; }
    const std::vector<std::string>& GetIncludes() const { return m_Includes; }

private:
    TiXmlElement* m_pData;
    std::vector<std::string> m_Includes;
};
