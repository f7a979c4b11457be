#include "editor/EditorWidgets.h"

#include "engine/gui/guiWindow.h"

guiGlyph* EditorWidgets::Find(guiWindow& window, const std::string& name, const kaClassInfo& record)
{
    guiGlyph* found = window.FindChild(name);
    return found != nullptr ? found->DynamicCast(record) : nullptr;
}
