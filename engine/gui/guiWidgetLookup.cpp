#include "engine/gui/guiWidgetLookup.h"

#include "engine/gui/guiWindow.h"

namespace
{

guiWidgetLookup::Watcher& CurrentWatcher()
{
    static guiWidgetLookup::Watcher watcher;
    return watcher;
}

} // namespace

guiGlyph* guiWidgetLookup::Find(guiWindow& window, const std::string& name, const kaClassInfo& record)
{
    if (CurrentWatcher())
        CurrentWatcher()(name, record);
    guiGlyph* found = window.FindChild(name);
    return found != nullptr ? found->DynamicCast(record) : nullptr;
}

void guiWidgetLookup::SetWatcher(const Watcher& watcher)
{
    CurrentWatcher() = watcher;
}
