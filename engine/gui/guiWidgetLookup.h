#pragma once

#include <functional>
#include <string>

class guiGlyph;
class guiWindow;
class kaClassInfo;

// How windows find their widgets: by name among the window's children, kept only when of the class asked
// for. A watcher sees each lookup, so that a test can hold the windows against their layouts.
class guiWidgetLookup
{
public:
    using Watcher = std::function<void(const std::string& name, const kaClassInfo& record)>;

    // The widget, or null when it is missing or of another class.
    static guiGlyph* Find(guiWindow& window, const std::string& name, const kaClassInfo& record);
    template <typename T> static T* Find(guiWindow& window, const std::string& name)
    {
        return static_cast<T*>(Find(window, name, T::StaticClassInfo()));
    }

    // Replaces the watcher; an empty one watches nothing.
    static void SetWatcher(const Watcher& watcher);
};
