#include "engine/gui/guiPlaceholder.h"

#include "engine/gui/guiClassRecords.h"
#include "engine/gui/guiWidgetFactoryFor.h"

namespace
{

const guiWidgetFactoryFor<guiPlaceholder> s_Factory;

} // namespace

const kaClassInfo& guiPlaceholder::StaticClassInfo()
{
    return *gui::GetClassRecord(gui::kPlaceholderClass);
}

guiPlaceholder::guiPlaceholder(const guiCoordPair& position, const guiCoordPair& size)
{
    SetPosition(position);
    SetSize(size);
}

guiPlaceholder::guiPlaceholder(std::istream& stream)
{
    guiWidget::ReadText(stream);
}

guiPlaceholder::guiPlaceholder(kaBinaryStream& stream)
{
    guiWidget::ReadBinary(stream);
}
