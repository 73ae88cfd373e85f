#pragma once
#include "platform/Clock.h"

namespace pennora::fakes {

// A clock that shows what the test sets.
class FakeClock final : public Clock {
public:
    LocalTime now{2026, 12, 10, 17, 45, 12};
    LocalTime GetLocalTime() override { return now; }
};

}  // namespace pennora::fakes
