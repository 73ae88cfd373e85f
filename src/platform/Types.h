#pragma once
// Portable stand-ins for the few Win32 value types the logic handles. A window
// handle travels as an integer; the Win32 face casts it back to HWND.
#include <cstdint>

namespace pennora {

using Hwnd = std::uintptr_t;
using Handle = std::uintptr_t;

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

// Message numbers and flag values the logic uses, with their Win32 values.
inline constexpr unsigned kWmKeyDown = 0x0100;
inline constexpr unsigned kWmKeyUp = 0x0101;
inline constexpr unsigned kWmChar = 0x0102;
inline constexpr unsigned kWmSysCommand = 0x0112;
inline constexpr unsigned kWmHotKey = 0x0312;
inline constexpr unsigned kWmTrayNotify = 0x0903;
inline constexpr unsigned kWmPennora = 0x8E89;  // show request from a second instance

inline constexpr unsigned kGwChild = 5;
inline constexpr unsigned kGwHwndNext = 2;
inline constexpr unsigned kErrorAlreadyExists = 183;
inline constexpr int kSmSwapButton = 23;

inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

}  // namespace pennora
