#pragma once
// The benchmarks' wall clock.
#include <ctime>

namespace pennora {

// Wall-clock seconds. (<chrono> does not compile with the GBK execution
// character set: libstdc++ spells the microsecond suffix with a UCN.)
inline double Now() {
    std::timespec now;
    std::timespec_get(&now, TIME_UTC);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

}  // namespace pennora
