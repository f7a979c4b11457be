#pragma once

#include "engine/core/kaColor.h"
#include "engine/gui/guiCoordPair.h"

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

class guiGlyph;
class kaBinaryStream;

// What it takes to build one widget of a kind, in the layout syntax. Subclasses write their own block
// after the base block.
class guiCreateParams
{
public:
    // Kinds by which parameter objects are made.
    enum Kind : int32_t
    {
        kImageParams = 1,
        kTextParams = 2,
        kTextBoxParams = 3,
        kGridParams = 4,
        kScrollerParams = 5,
    };

    guiCreateParams() = default;
    guiCreateParams(const guiCreateParams&) = default;
    guiCreateParams& operator=(const guiCreateParams&) = default;
    virtual ~guiCreateParams() = default;

    virtual int32_t GetWidgetClass() const = 0;
    // A new widget built from these parameters; null here.
    virtual guiGlyph* CreateWidget() const { return nullptr; }
    // A new copy; null here.
    virtual guiCreateParams* Clone() const { return nullptr; }
    virtual void WriteText(std::ostream& stream) const;
    virtual void ReadText(std::istream& stream);
    virtual void WriteBinary(kaBinaryStream& stream) const;
    virtual void ReadBinary(kaBinaryStream& stream);

    std::string name;
    kaColor foreColor;
    guiCoordPair position;
};

using guiParamsCreator = std::function<guiCreateParams*()>;

// Registering a kind again replaces its creator.
void RegisterParamsCreator(int32_t kind, const guiParamsCreator& creator);
// A new parameter object of the kind with its defaults, or null when the kind has no creator.
guiCreateParams* CreateParams(int32_t kind);
