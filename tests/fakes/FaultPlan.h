#pragma once
// A fault injected into the seams at one step: every call a fake receives is
// one step; at step `at`, or at the call described as `call`, the call fails
// (returns an error) or, for `kill`, throws Killed so nothing after it runs,
// as when the process is ended there.
#include <string>

namespace pennora::fakes {

struct Killed {};

struct FaultPlan {
    int at = -1;  // 0-based step that fails; -1 for none
    bool kill = false;
    std::string call;
    int steps = 0;

    // True when this call is to fail; throws when it is to end everything.
    bool Hit(const std::string& description) {
        if (steps++ != at && (call.empty() || description != call)) return false;
        if (kill) throw Killed{};
        return true;
    }
};

}  // namespace pennora::fakes
