#pragma once
#include <windows.h>

#include "platform/Clock.h"

namespace pennora {

class Win32Clock final : public Clock {
public:
    LocalTime GetLocalTime() override {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    }
};

}  // namespace pennora
