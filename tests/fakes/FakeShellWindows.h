#pragma once
// The shell's browser-window collection as a scripted list: each entry is a
// window handle, or 0 for an item whose "Hwnd" cannot be read. Records the
// calls in `calls`.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fakes/CallLog.h"
#include "platform/ShellWindows.h"

namespace pennora::fakes {

class FakeShellWindows final : public ShellWindowsApi {
public:
    long createResult = kSOk;
    long countResult = kSOk;
    std::vector<Hwnd> windows;
    std::function<void()> duringItem;  // runs inside each ItemHwnd, as a message handled meanwhile would
    CallLog calls;

    long CoCreateInstance(std::unique_ptr<ShellWindowCollection>& collection) override {
        calls.push_back("CoCreateInstance()");
        if (createResult < 0) return createResult;
        collection = std::make_unique<Collection>(*this);
        return kSOk;
    }
    bool SetWindowPos(Hwnd window, Hwnd insertAfter, int x, int y, int cx, int cy, unsigned flags) override {
        calls.push_back("SetWindowPos(" + Hex(window) + ", " + std::to_string(insertAfter) + ", " + std::to_string(x) +
                        ", " + std::to_string(y) + ", " + std::to_string(cx) + ", " + std::to_string(cy) + ", " +
                        Hex(flags) + ")");
        return true;
    }

private:
    class Collection final : public ShellWindowCollection {
    public:
        explicit Collection(FakeShellWindows& shell) : shell_(shell) {}
        ~Collection() override { shell_.calls.push_back("Release()"); }
        long get_Count(long& count) override {
            shell_.calls.push_back("get_Count()");
            count = long(shell_.windows.size());
            return shell_.countResult;
        }
        long ItemHwnd(long index, Hwnd& window) override {
            shell_.calls.push_back("ItemHwnd(" + std::to_string(index) + ")");
            if (shell_.duringItem) shell_.duringItem();
            window = shell_.windows.at(std::size_t(index));
            return window ? kSOk : -2147352570L;  // DISP_E_UNKNOWNNAME
        }

    private:
        FakeShellWindows& shell_;
    };
};

}  // namespace pennora::fakes
