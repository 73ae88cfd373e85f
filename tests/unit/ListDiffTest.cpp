#include "fill/ListDiff.h"

#include <gtest/gtest.h>

namespace pennora {
namespace {

using Titles = std::vector<std::string>;

// Applies a change the way a control is updated: remove the old middle run,
// insert the new one.
Titles Applied(Titles before, const Titles& after, const ListChange& change) {
    before.erase(before.begin() + long(change.first), before.begin() + long(change.first + change.removed));
    before.insert(before.begin() + long(change.first), after.begin() + long(change.first),
                  after.begin() + long(change.first + change.inserted));
    return before;
}

TEST(ListDiffTest, ReplacesOnlyTheMiddleRunThatDiffers) {
    struct Case {
        const char* name;
        Titles before, after;
        ListChange change;
    };
    const Case cases[] = {
        {"unchanged", {"a", "b"}, {"a", "b"}, {2, 0, 0}},
        {"one renamed", {"a", "b", "c"}, {"a", "B", "c"}, {1, 1, 1}},
        {"one inserted", {"a", "c"}, {"a", "b", "c"}, {1, 0, 1}},
        {"one deleted", {"a", "b", "c"}, {"a", "c"}, {1, 1, 0}},
        {"repeats at the joint", {"a", "a"}, {"a", "a", "a"}, {2, 0, 1}},
        // Shrinking where the kept front and back could overlap in repeats.
        {"shrinks at a joint of repeats", {"a", "a", "a"}, {"a", "a"}, {2, 1, 0}},
        {"shrinks by two in repeats", {"a", "a", "a", "a"}, {"a", "a"}, {2, 2, 0}},
        {"shrinks in repeats at the front", {"a", "a", "b"}, {"a", "b"}, {1, 1, 0}},
        {"shrinks in repeats at the back", {"a", "b", "b"}, {"a", "b"}, {2, 1, 0}},
        {"from empty", {}, {"a", "b"}, {0, 0, 2}},
        {"to empty", {"a", "b"}, {}, {0, 2, 0}},
        {"all different", {"a", "b"}, {"c"}, {0, 2, 1}},
        {"first moved to the end", {"a", "b", "c"}, {"b", "c", "a"}, {0, 3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ListChange change = DiffLists(c.before, c.after);
        EXPECT_EQ(change, c.change);
        EXPECT_EQ(Applied(c.before, c.after, change), c.after);
    }
}

}  // namespace
}  // namespace pennora
