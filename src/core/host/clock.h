#pragma once
// Monotonic time for the core. Tests use a manual clock; the program uses steady_clock.
#include <cstdint>

namespace kelvor::host {

class Clock {
  public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary fixed start; never goes back.
    virtual double now_ms() = 0;
};

} // namespace kelvor::host
