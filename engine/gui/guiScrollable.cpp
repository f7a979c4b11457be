#include "engine/gui/guiScrollable.h"

#include "engine/gui/guiClassRecords.h"

const kaClassInfo& guiScrollable::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kScrollableClass);
}
