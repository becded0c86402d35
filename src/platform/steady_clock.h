#pragma once
#include <chrono>

#include "core/host/clock.h"

namespace kelvor::platform {

class SteadyClock final : public host::Clock {
  public:
    double now_ms() override {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace kelvor::platform
