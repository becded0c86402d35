#include "platform/wake_signal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace kelvor::platform {

WakeSignal::WakeSignal() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeSignal::~WakeSignal() {
    if (fd_ >= 0) ::close(fd_);
}

void WakeSignal::signal() {
    const std::uint64_t one = 1;
    // Only fails when the counter is about to overflow, and then it is readable already.
    [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
}

void WakeSignal::clear() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = ::read(fd_, &count, sizeof count);
}

} // namespace kelvor::platform
