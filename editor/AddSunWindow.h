#pragma once

#include "editor/EditorFields.h"
#include "engine/gui/guiWindow.h"

#include <string>

// The dialog that collects the sun: its disc, its place on its path, its size and its two colours.
class AddSunWindow : public guiWindow
{
public:
    static constexpr const char* kWindowName = "Add Sun Window";
    static constexpr const char* kLayoutFile = "editor\\addsun.kab";

    static constexpr const char* kTexture = "texture";
    static constexpr const char* kPosition = "position";
    static constexpr const char* kAxisTilt = "axis tilt";
    static constexpr const char* kScale = "scale";
    static constexpr const char* kRed = "red";
    static constexpr const char* kGreen = "green";
    static constexpr const char* kBlue = "blue";
    static constexpr const char* kRedAmbient = "redambient";
    static constexpr const char* kGreenAmbient = "greenambient";
    static constexpr const char* kBlueAmbient = "blueambient";
    static constexpr const char* kOk = "ok";
    static constexpr const char* kCancel = "cancel";

    static const kaClassInfo& StaticClassInfo();
    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }

    explicit AddSunWindow(const std::string& layoutFile);

    std::string GetField(const std::string& name) const { return m_Fields.Get(name); }
    const EditorFields& GetFields() const { return m_Fields; }

private:
    EditorFields m_Fields;
};
