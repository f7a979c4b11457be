#pragma once

#include "editor/EditorBrowseDialog.h"

#include <cstdint>
#include <string>

// The dialog that collects one more texture layer of the terrain: its mask, its tile and the tile's
// stretch.
class AddTerrainLayerWindow : public EditorBrowseDialog
{
public:
    static constexpr const char* kWindowName = "Terrain Layer Window";
    static constexpr const char* kLayoutFile = "UI/editor/terrainlayer.kab";

    static constexpr const char* kTexturePath = "texture path";
    static constexpr const char* kMaskPath = "mask path";
    static constexpr const char* kTexStretch = "tex stretch";
    static constexpr const char* kBrowseMask = "browse mask button";
    static constexpr const char* kBrowseTexture = "browse texture button";
    static constexpr const char* kOk = "ok";
    static constexpr const char* kCancel = "cancel";

    enum ListMode : int32_t
    {
        kListMask = 0,
        kListTexture = 1,
    };
    static constexpr const char* kMaskFolder = "resources\\worlds\\groundmasks\\";
    static constexpr const char* kTextureFolder = "resources\\worlds\\groundtiles\\";

    static const kaClassInfo& StaticClassInfo();
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    explicit AddTerrainLayerWindow(const std::string& layoutFile);

    static std::string FolderOf(int32_t mode);
};
