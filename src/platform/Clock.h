#pragma once
// The seam to the local wall-clock time (GetLocalTime).
namespace pennora {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool operator==(const LocalTime&) const = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime GetLocalTime() = 0;
};

}  // namespace pennora
