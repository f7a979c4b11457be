#pragma once

#include "editor/EditorFields.h"
#include "engine/gui/guiWindow.h"

#include <cstdint>
#include <string>
#include <vector>

class guiButton;
class guiListBox;

// The dialog that picks one layer to remove, of the terrain or of the sun's flare.
class LayerListWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = "Layer List Window";
    static constexpr const char* kLayoutFile = "UI/editor/layerlist.kab";

    static constexpr const char* kTitle = "title";
    static constexpr const char* kLayerList = "layer list";
    static constexpr const char* kRemove = "remove";
    static constexpr const char* kCancel = "cancel";
    static constexpr int32_t kMaxChars = 200;

    static const kaClassInfo& StaticClassInfo();
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    explicit LayerListWindow(const std::string& layoutFile);

    void SetTitle(const std::string& title) { m_Fields.Set(kTitle, title); }
    // One row per text in order; an empty list turns "remove" off, and only a selection turns it on.
    void SetItems(const std::vector<std::string>& items);
    // -1 when no row is selected.
    int32_t GetSelectedRow() const;
    std::string GetField(const std::string& name) const { return m_Fields.Get(name); }

    guiListBox* GetList() const { return m_List; }
    guiButton* GetRemoveButton() const { return m_Remove; }

private:
    EditorFields m_Fields;
    guiListBox* m_List = nullptr;
    guiButton* m_Remove = nullptr;
};
