#pragma once
#include <string>
#include <string_view>

#include <windows.h>

#include "platform/win32/AnsiText.h"

namespace pennora {

// The exe as the system started it (under whatever name it has been given).
inline std::string RunningExePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return ToAnsi(std::wstring_view(path.data(), length));
        if (path.size() > 0x10000) return {};
        path.resize(path.size() * 2);
    }
}

}  // namespace pennora
