#pragma once
// Records every call of the HotKeyApi seam in `calls` (a test may point it at
// another fake's log to get one sequence) and answers from a script.
#include <deque>
#include <string>

#include "fakes/CallLog.h"
#include "platform/HotKeyApi.h"

namespace pennora::fakes {

class FakeHotKeyApi final : public HotKeyApi {
public:
    explicit FakeHotKeyApi(CallLog* sharedLog = nullptr) : calls(sharedLog ? *sharedLog : ownLog_) {}

    // Script.
    std::uint16_t atom = 0xC123;          // GlobalAddAtomA answer
    std::deque<bool> registerAnswers;     // RegisterHotKey answers; true when empty

    CallLog& calls;
    bool registered = false;  // a key is registered now


    std::uint16_t GlobalAddAtomA(const std::string& name) override {
        calls.push_back("GlobalAddAtomA(" + Quoted(name) + ")");
        return atom;
    }
    bool RegisterHotKey(Hwnd window, int id, unsigned modifiers, unsigned virtualKey) override {
        calls.push_back("RegisterHotKey(" + Hex(window) + ", " + Hex(unsigned(id)) + ", " + Hex(modifiers) + ", " +
                        Hex(virtualKey) + ")");
        bool answer = true;
        if (!registerAnswers.empty()) {
            answer = registerAnswers.front();
            registerAnswers.pop_front();
        }
        registered = registered || answer;
        return answer;
    }
    bool UnregisterHotKey(Hwnd window, int id) override {
        calls.push_back("UnregisterHotKey(" + Hex(window) + ", " + Hex(unsigned(id)) + ")");
        registered = false;
        return true;
    }

private:
    CallLog ownLog_;
};

}  // namespace pennora::fakes
