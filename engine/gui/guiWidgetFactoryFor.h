#pragma once

#include "engine/gui/guiWidgetFactory.h"

#include "engine/core/kaClassInfo.h"

#include <new>

// The factory of a class T that has the record T::StaticClassInfo() and the constructors T (position,
// size), T (binary stream) and T (text stream), the last two reading T's block. A class registers with
// one static instance in its source.
template <typename T> class guiWidgetFactoryFor : public guiWidgetFactory
{
public:
    guiWidgetFactoryFor() : guiWidgetFactory(T::StaticClassInfo().GetName(), T::StaticClassInfo().GetId()) {}

    const kaClassInfo& GetClassInfo() const override { return T::StaticClassInfo(); }
    guiGlyph* Create(const guiCoordPair& position, const guiCoordPair& size) const override
    {
        return new (std::nothrow) T(position, size);
    }
    guiGlyph* CreateFromBinary(kaBinaryStream& stream) const override { return new (std::nothrow) T(stream); }
    guiGlyph* CreateFromText(std::istream& stream) const override { return new (std::nothrow) T(stream); }
};
