#pragma once

#include "engine/gui/guiWidget.h"

// An empty widget that marks a place and a size in a layout for what a window puts there at run time.
class guiPlaceholder : public guiWidget
{
public:
    static const kaClassInfo& StaticClassInfo();

    guiPlaceholder(const guiCoordPair& position, const guiCoordPair& size);
    explicit guiPlaceholder(std::istream& stream);
    explicit guiPlaceholder(kaBinaryStream& stream);

    const kaClassInfo& GetClassInfo() const override { return StaticClassInfo(); }
};
