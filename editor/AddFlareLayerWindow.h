#pragma once

#include "editor/EditorFields.h"
#include "editor/EditorFileChooser.h"
#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <string>

// The dialog that collects one more lens-flare layer of the sun: its picture, its place along the flare
// line and its scale.
class AddFlareLayerWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kFlareLayer;
    static constexpr const char* kLayoutFile = "UI/editor/flarelayer.kab";

    static constexpr const char* kTexture = "texture";
    static constexpr const char* kLength = "length";
    static constexpr const char* kScale = "scale";
    static constexpr const char* kBrowse = "browse button";
    static constexpr const char* kOk = "ok";
    static constexpr const char* kCancel = "cancel";
    static constexpr const char* kFolder = "resources\\worlds\\billboards\\";

    static const kaClassInfo& StaticClassInfo();
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    explicit AddFlareLayerWindow(const std::string& layoutFile);

    // Closes the chooser.
    void OnShow() override;
    void ShowFileChooser(bool show);

    std::string GetField(const std::string& name) const { return m_Fields.Get(name); }
    const EditorFields& GetFields() const { return m_Fields; }
    const EditorFileChooser& GetChooser() const { return m_Chooser; }

private:
    EditorFields m_Fields;
    EditorFileChooser m_Chooser;
};
