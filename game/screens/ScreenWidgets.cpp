#include "game/screens/ScreenWidgets.h"

#include "engine/gui/guiWindow.h"

namespace
{

ScreenWidgets::Watcher& CurrentWatcher()
{
    static ScreenWidgets::Watcher watcher;
    return watcher;
}

} // namespace

guiGlyph* ScreenWidgets::Find(guiWindow& window, const std::string& name, const kaClassInfo& record)
{
    if (CurrentWatcher())
        CurrentWatcher()(name, record);
    guiGlyph* found = window.FindChild(name);
    return found != nullptr ? found->DynamicCast(record) : nullptr;
}

void ScreenWidgets::SetWatcher(const Watcher& watcher)
{
    CurrentWatcher() = watcher;
}
