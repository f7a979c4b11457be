#pragma once

#include <string>

// The pictures of a scroll bar: a name prefix and four names, of which an empty one stands for the prefix
// followed by the part's own word.
class guiScrollImages
{
public:
    static constexpr const char* kDefaultPrefix = "ui/common/UI_Scroll";

    std::string GetUpArrow() const { return _Resolve(upArrow, "UpArrow"); }
    std::string GetDownArrow() const { return _Resolve(downArrow, "DownArrow"); }
    std::string GetSlider() const { return _Resolve(slider, "Slider"); }
    std::string GetBack() const { return _Resolve(back, "Back"); }
    // The horizontal bar's pictures, always named after the prefix.
    std::string GetLeftArrow() const { return prefix + "LeftArrow"; }
    std::string GetRightArrow() const { return prefix + "RightArrow"; }
    std::string GetHorizontalSlider() const { return prefix + "HSlider"; }
    std::string GetHorizontalBack() const { return prefix + "HBack"; }

    std::string prefix = kDefaultPrefix;
    std::string upArrow;
    std::string downArrow;
    std::string slider;
    std::string back;

private:
    std::string _Resolve(const std::string& name, const char* word) const
    {
        return name.empty() ? prefix + word : name;
    }
};
