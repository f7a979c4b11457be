#pragma once

#include "editor/EditorBrowseDialog.h"
#include "editor/WindowNames.h"

#include <cstdint>
#include <string>

class guiGroup;

// The dialog that collects a new terrain (height map, size, vertex lighting and its first texture
// layer) or a height map to import into the terrain there is. It only collects text.
class CreateTerrainWindow : public EditorBrowseDialog
{
public:
    static constexpr const char* kWindowName = windowNames::kCreateTerrain;
    static constexpr const char* kLayoutFile = "UI/editor/createterrain.kab";

    static constexpr const char* kTitle = "title";
    static constexpr const char* kHeightMap = "heightmap";
    static constexpr const char* kHeight = "height";
    static constexpr const char* kWidth = "width";
    static constexpr const char* kLength = "length";
    static constexpr const char* kVertexLight = "vertex light";
    static constexpr const char* kMaskPath = "mask path";
    static constexpr const char* kTexturePath = "texture path";
    static constexpr const char* kTexStretch = "tex stretch";
    static constexpr const char* kBrowseHeightMap = "browse heightmap button";
    static constexpr const char* kBrowseMask = "browse mask button";
    static constexpr const char* kBrowseTexture = "browse texture button";
    static constexpr const char* kLabelGroup = "label group";
    static constexpr const char* kTextBoxGroup = "text box group";
    static constexpr const char* kLayerGroup = "layer group";
    static constexpr const char* kOk = "ok";
    static constexpr const char* kCancel = "cancel";

    // Chooser modes and their folders.
    enum ListMode : int32_t
    {
        kListHeightMap = 0,
        kListMask = 1,
        kListTexture = 2,
    };
    static constexpr const char* kHeightMapFolder = "resources\\worlds\\heightmap\\";
    static constexpr const char* kMaskFolder = "resources\\worlds\\groundmasks\\";
    static constexpr const char* kTextureFolder = "resources\\worlds\\groundtiles\\";

    // Placement of the label and box columns: import mode centres them vertically in the dialog.
    static constexpr int32_t kImportAlignment = 17;
    static constexpr int32_t kCreateAlignment = 9;
    static constexpr float kLabelX = 10.0f;
    static constexpr float kTextBoxX = 90.0f;
    static constexpr float kCreateY = 37.0f;
    static constexpr float kImportY = 0.5f;

    static const kaClassInfo& StaticClassInfo();
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    explicit CreateTerrainWindow(const std::string& layoutFile);

    // The numbers go into the width and height boxes; the dialog keeps its size.
    void SetRelativeWidth(float width) override;
    void SetRelativeHeight(float height) override;

    // Import mode shows the height-map fields alone, centred; new mode shows the layer fields below them.
    void SetImportMode(bool import);
    bool IsImportMode() const { return m_ImportMode; }
    void SetTitle(const std::string& title) { m_Fields.Set(kTitle, title); }

    static std::string FolderOf(int32_t mode);

private:
    guiGroup* m_LabelGroup = nullptr;
    guiGroup* m_TextBoxGroup = nullptr;
    guiGroup* m_LayerGroup = nullptr;
    bool m_ImportMode = false;
};
