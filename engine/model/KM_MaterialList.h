#pragma once

#include "engine/model/KM_ListBase.h"
#include "engine/model/KM_Material.h"

// A model file's materials, or the sub-materials of a material.
class KM_MaterialList : public KM_ListBase
{
public:
    static constexpr uint32_t kTypeId = 7;

    KM_MaterialList();

    void Append(std::unique_ptr<KM_Material> material) { AppendObject(std::move(material)); }
    KM_Material* GetMaterial(int index) const { return static_cast<KM_Material*>(GetAt(index)); }

    // Reads the list body; the caller has read the type id. A material that fails to read is dropped.
    bool Read(KM_Stream* stream);
    // Type id, version 2, size, count, then the materials.
    bool Write(KM_Stream* stream);
};
