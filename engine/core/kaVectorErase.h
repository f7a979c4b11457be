#pragma once

#include <algorithm>
#include <vector>

// Lists of pointers kept in insertion order, where an entry may stand more than once. The entry may be
// given as a pointer to a derived class.
namespace kaVectorErase
{
template <typename T, typename U> bool Contains(const std::vector<T*>& list, const U* entry)
{
    return std::find(list.begin(), list.end(), entry) != list.end();
}

// Erases the first occurrence only; false when there is none.
template <typename T, typename U> bool EraseFirst(std::vector<T*>& list, const U* entry)
{
    const auto found = std::find(list.begin(), list.end(), entry);
    if (found == list.end())
        return false;
    list.erase(found);
    return true;
}

// Erases every occurrence, keeping the order of the rest.
template <typename T, typename U> void EraseAll(std::vector<T*>& list, const U* entry)
{
    list.erase(std::remove(list.begin(), list.end(), entry), list.end());
}
} // namespace kaVectorErase
