#include "browser/BrowserWindows.h"

#include <cstdio>
#include <memory>

#include "platform/Error.h"

namespace pennora {
namespace {

std::string CollectionError(long result) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result) & 0xFFFFFFFFul);
    return std::string("无法取得系统的浏览器窗口列表（错误 ") + code + "）";
}

}  // namespace

std::string BrowserWindows::HideIEWindow(bool hide, bool& hidden) {
    if (walking_) return {};
    walking_ = true;
    struct EndOfWalk {
        bool& walking;
        ~EndOfWalk() { walking = false; }
    } endOfWalk{walking_};
    std::unique_ptr<ShellWindowCollection> collection;
    long result = shell_.CoCreateInstance(collection);
    if (result < 0 || !collection) throw Error(CollectionError(result));
    long count = 0;
    if (long counted = collection->get_Count(count); counted < 0) throw Error(CollectionError(counted));

    std::string hint;
    for (long i = count - 1; i >= 0; --i) {
        Hwnd window = 0;
        if (hide) {
            hidden = true;
            hint = kShowAllIEHint;
            if (collection->ItemHwnd(i, window) >= 0) shell_.SetWindowPos(window, kHwndBottom, 0, 0, 0, 0, kSwpHide);
        } else {
            if (collection->ItemHwnd(i, window) >= 0) shell_.SetWindowPos(window, kHwndTop, 0, 0, 0, 0, kSwpShow);
            hidden = false;
            hint = kHideAllIEHint;
        }
    }
    return hint;
}

}  // namespace pennora
