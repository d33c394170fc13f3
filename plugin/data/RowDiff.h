#pragma once
// The one changed stretch between two lists of records: what views need to
// announce a change as a removal and an insertion at one place.
#include <algorithm>
#include <vector>

namespace velta {

struct RowDiff {
    int first = 0;    // first position that differs
    int removed = 0;  // records of the old list replaced from there
    int inserted = 0; // records of the new list put in their place
    bool empty() const { return removed == 0 && inserted == 0; }
};

// Keeps the longest common head and tail of the two lists; what lies between
// them is the change.
inline RowDiff diffRows(const std::vector<int>& before, const std::vector<int>& after)
{
    const size_t common = std::min(before.size(), after.size());
    size_t prefix = 0;
    while (prefix < common && before[prefix] == after[prefix])
        ++prefix;
    size_t suffix = 0;
    while (suffix < common - prefix && before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return {static_cast<int>(prefix), static_cast<int>(before.size() - prefix - suffix),
            static_cast<int>(after.size() - prefix - suffix)};
}

} // namespace velta
