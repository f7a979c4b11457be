#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Typed property values that a property grid must tell apart from plain ints and strings; each is held
// in a property table entry's value.

// An enumeration: the current value and the choices a grid offers.
struct guiEnumValue
{
    int32_t value = 0;
    std::vector<std::pair<std::string, int32_t>> choices;
};

// A file name offered with a browse filter such as "*.bmp; *.tga".
struct guiFileNameValue
{
    std::string fileName;
    std::string filter;
};

struct guiAlignmentValue
{
    int32_t flags = 0;
};

// The index of a child that stands for a state (a button's normal, rollover, ... look).
struct guiChildIndexValue
{
    int32_t index = 0;
};

struct guiFontNameValue
{
    std::string name;
};

struct guiMarkupValue
{
    std::string text;
};
