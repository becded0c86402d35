#include "platform/process_end.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KELVOR_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define KELVOR_SANITIZED 1
#endif
#endif

namespace kelvor::platform {
namespace {
std::atomic<bool> qt_engine{false};
}

void qt_audio_engine_started() {
    qt_engine.store(true);
}

void end_process(int code) {
#ifndef KELVOR_SANITIZED
    if (qt_engine.load()) {
        std::fflush(nullptr);
        std::_Exit(code);
    }
#endif
    std::exit(code);
}

} // namespace kelvor::platform
