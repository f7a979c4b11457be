#pragma once

#include "engine/scene/kaPropertyList.h"

#include <cstdint>
#include <string>

// One row of the editor's property grid: a label ending in a colon, the value as text, and how the
// editor lets the value be chosen. Values carry no type; each owner converts its own rows.
class kaPropertyRecord
{
public:
    // How a row that is not browsed is edited.
    static constexpr int32_t kTyped = 0;
    static constexpr int32_t kFromListFile = 1;

    // Builds a row of only a label and a value at the end of the list and returns it, so that the
    // caller can set the browse or list fields the row needs.
    static kaPropertyRecord& Append(kaPropertyList& list, const std::string& label, const std::string& value);

    std::string m_Label;
    std::string m_Value;
    // The value is a file name picked by browsing m_Folder.
    bool m_Browse = false;
    // Not read by the property grid.
    bool m_SecondFlag = true;
    std::string m_Folder;
    int32_t m_Kind = kTyped;
    // XML file holding the choices of a kFromListFile row.
    std::string m_ListFile;
    // The designer gave the row its value on the sheet: its owner takes it as given, also when it is the
    // value the owner holds.
    bool m_Set = false;
};
