#pragma once
// A fault injected into the seams at one step: every call a fake receives is
// one step; at step `at`, at the call described as `call` or as one of
// `calls`, or at every call
// whose description begins with `every`, the call fails
// (returns an error) or, for `kill`, throws Killed so nothing after it runs,
// as when the process is ended there.
#include <algorithm>
#include <string>
#include <vector>

namespace pennora::fakes {

struct Killed {};

struct FaultPlan {
    int at = -1;  // 0-based step that fails; -1 for none
    bool kill = false;
    std::string call;
    std::vector<std::string> calls;
    std::string every;
    int steps = 0;
    std::string hit;  // the description of the last call that failed

    // True when this call is to fail; throws when it is to end everything.
    bool Hit(const std::string& description) {
        bool hit = steps++ == at || (!call.empty() && description == call) ||
                   std::find(calls.begin(), calls.end(), description) != calls.end() ||
                   (!every.empty() && description.compare(0, every.size(), every) == 0);
        if (!hit) return false;
        this->hit = description;
        if (kill) throw Killed{};
        return true;
    }
};

}  // namespace pennora::fakes
