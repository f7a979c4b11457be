#pragma once

#include "engine/model/KM_ListBase.h"
#include "engine/model/KM_Texture.h"

// The texture maps of a material, or the sub-textures of a texture.
class KM_TextureList : public KM_ListBase
{
public:
    static constexpr uint32_t kTypeId = 14;

    KM_TextureList();

    void Append(std::unique_ptr<KM_Texture> texture) { AppendObject(std::move(texture)); }
    KM_Texture* GetTexture(int index) const { return static_cast<KM_Texture*>(GetAt(index)); }

    // Reads the whole list, its type id first. A texture that fails to read is dropped.
    bool Read(KM_Stream* stream);
    // Writes nothing for an empty list.
    bool Write(KM_Stream* stream);
};
