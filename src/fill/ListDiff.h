#pragma once
// The smallest middle run to replace to turn one list of titles into another:
// what stays the same at the front and at the back is left alone. A refill
// after one stored change then touches one item of a control, not all of
// them, which keeps it quick with thousands of entries.
#include <cstddef>
#include <string>
#include <vector>

namespace pennora {

struct ListChange {
    std::size_t first = 0;   // index of the first item that differs
    std::size_t removed = 0; // old items from `first` on to remove
    std::size_t inserted = 0; // new items from `first` on to insert in their place
    bool operator==(const ListChange&) const = default;
};

inline ListChange DiffLists(const std::vector<std::string>& before, const std::vector<std::string>& after) {
    std::size_t front = 0;
    while (front < before.size() && front < after.size() && before[front] == after[front]) ++front;
    std::size_t back = 0;
    while (back < before.size() - front && back < after.size() - front &&
           before[before.size() - 1 - back] == after[after.size() - 1 - back])
        ++back;
    return {front, before.size() - front - back, after.size() - front - back};
}

}  // namespace pennora
