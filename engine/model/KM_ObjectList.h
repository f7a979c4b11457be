#pragma once

#include "engine/model/KM_ListBase.h"
#include "engine/model/KM_Object.h"

// The objects of a file: geometry, collision volumes, lights, cameras, attachment points, data tags,
// primitives, skeletons and animations, in file order.
class KM_ObjectList : public KM_ListBase
{
public:
    static constexpr uint32_t kTypeId = 18;

    KM_ObjectList();

    void Append(std::unique_ptr<KM_Object> object) { AppendObject(std::move(object)); }

    // Reads the list body; the caller has read the type id. Members of unknown types are skipped and
    // members that fail to read are dropped; neither ends the list, the end of the file does.
    bool Read(KM_Stream* stream);
    // Type id, version 2, size, count, then the members.
    bool Write(KM_Stream* stream);
};
