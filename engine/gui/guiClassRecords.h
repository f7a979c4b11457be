#pragma once

#include <cstdint>
#include <vector>

class kaClassInfo;

namespace gui
{

// The ids of the toolkit's classes as binary layouts store them. 11 belongs to no class.
enum ClassId : uint32_t
{
    kGlyphClass = 0,
    kImageClass = 1,
    kBackgroundClass = 2,
    kBorderClass = 3,
    kCursorClass = 4,
    kDisplayBoxClass = 5,
    kTextBoxClass = 6,
    kGridClass = 7,
    kScrollBarClass = 8,
    kButtonClass = 9,
    kWindowClass = 10,
    kSliderClass = 12,
    kDropDownClass = 13,
    kLinesClass = 14,
    kListBoxClass = 15,
    kWidgetClass = 16,
    kDecoratorClass = 17,
    kScrollableClass = 18,
    kCaptionClass = 19,
    kTextClass = 20,
    kGroupClass = 21,
    kSplitFrameClass = 22,
    kCheckBoxClass = 23,
    kTreeViewClass = 24,
    kProxyClass = 25,
    kPlaceholderClass = 26,
    kOptionGroupClass = 27,
    kScrollerClass = 28,
    kRectangleClass = 29,
};

// The record of a toolkit class, or null for an id no class has. Records are made on first use, so
// registrations that run during static construction find them, and live until exit.
const kaClassInfo* GetClassRecord(uint32_t id);
// Every record, in id order.
const std::vector<const kaClassInfo*>& GetClassRecords();

// True when the record is the ancestor record or derives from it.
bool IsA(const kaClassInfo& record, const kaClassInfo& ancestor);

} // namespace gui
