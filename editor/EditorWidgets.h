#pragma once

#include <string>

class guiGlyph;
class guiWindow;
class kaClassInfo;

// How the editor's dialogs find their widgets: by name among the window's children, kept only when of
// the class asked for.
class EditorWidgets
{
public:
    // The widget, or null when it is missing or of another class.
    static guiGlyph* Find(guiWindow& window, const std::string& name, const kaClassInfo& record);
    template <typename T> static T* Find(guiWindow& window, const std::string& name)
    {
        return static_cast<T*>(Find(window, name, T::StaticClassInfo()));
    }
};
