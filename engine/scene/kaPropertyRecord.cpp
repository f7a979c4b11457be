#include "engine/scene/kaPropertyRecord.h"

kaPropertyRecord& kaPropertyRecord::Append(kaPropertyList& list, const std::string& label,
                                           const std::string& value)
{
    // The counted pointer owns the record before anything else can throw.
    kaCountedPtr<kaPropertyRecord> row(new kaPropertyRecord);
    row->m_Label = label;
    row->m_Value = value;
    list.push_back(row);
    return *row;
}
