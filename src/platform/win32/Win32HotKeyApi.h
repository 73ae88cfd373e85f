#pragma once
#include "platform/HotKeyApi.h"

namespace pennora {

// Forwards each call of the seam to the user32/kernel32 function of that name.
class Win32HotKeyApi final : public HotKeyApi {
public:
    std::uint16_t GlobalAddAtomA(const std::string& name) override;
    bool RegisterHotKey(Hwnd window, int id, unsigned modifiers, unsigned virtualKey) override;
    bool UnregisterHotKey(Hwnd window, int id) override;
};

}  // namespace pennora
