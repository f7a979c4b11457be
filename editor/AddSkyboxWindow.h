#pragma once

#include "editor/EditorFields.h"
#include "editor/WindowNames.h"
#include "engine/gui/guiWindow.h"

#include <string>

// The dialog that collects a sky box (five face pictures) and its cloud plane (picture, height, speed).
class AddSkyboxWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = windowNames::kAddSkybox;
    static constexpr const char* kLayoutFile = "UI/editor/skybox.kab";

    static constexpr const char* kTitle = "title";
    static constexpr const char* kLeft = "left";
    static constexpr const char* kRight = "right";
    static constexpr const char* kForward = "forward";
    static constexpr const char* kBack = "back";
    static constexpr const char* kTop = "top";
    static constexpr const char* kTexture = "texture";
    static constexpr const char* kHeight = "height";
    static constexpr const char* kSpeed = "speed";
    static constexpr const char* kOk = "ok";
    static constexpr const char* kCancel = "cancel";

    static const kaClassInfo& StaticClassInfo();
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    explicit AddSkyboxWindow(const std::string& layoutFile);

    // The number goes into the cloud height box; the dialog keeps its size.
    void SetRelativeHeight(float height) override;

    std::string GetField(const std::string& name) const { return m_Fields.Get(name); }
    const EditorFields& GetFields() const { return m_Fields; }

private:
    EditorFields m_Fields;
};
