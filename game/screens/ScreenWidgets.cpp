#include "game/screens/ScreenWidgets.h"

#include "engine/gui/guiWidgetLookup.h"

// The screens and the editor's dialogs look up alike, so one watcher sees both.
guiGlyph* ScreenWidgets::Find(guiWindow& window, const std::string& name, const kaClassInfo& record)
{
    return guiWidgetLookup::Find(window, name, record);
}

void ScreenWidgets::SetWatcher(const Watcher& watcher)
{
    guiWidgetLookup::SetWatcher(watcher);
}
