#!/usr/bin/env bash
# Installs what is missing, builds, starts a private sound server, display and printer, and runs every
# test: first the full build (core, emulated hardware, platform, UI, end-to-end), then the core and
# emulated hardware tests again under AddressSanitizer + UndefinedBehaviorSanitizer, the emulated hardware
# and audio tests under ThreadSanitizer, then a short fuzz pass
# over the results file reader (scripts/fuzz.sh, clang + libFuzzer).
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc)

scripts/install-deps test

# ./run.sh configures with only what it installs: the same configuration with the test packages hidden
# from CMake must still succeed (configuring alone takes seconds, and is where that breaks).
echo "== the program configures as ./run.sh does, without the test packages"
rm -rf build-runcheck
scripts/configure-program build-runcheck -DCMAKE_DISABLE_FIND_PACKAGE_GTest=TRUE
rm -rf build-runcheck

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVOR_TESTS=ON -DKELVOR_REQUIRE_TESTS=ON >/dev/null
cmake --build build -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVOR_CORE_ONLY=ON -DKELVOR_SANITIZE=ON -DKELVOR_REQUIRE_TESTS=ON >/dev/null
cmake --build build-asan -j "$jobs"

# The threads meet in the emulated hardware's stream and the audio backends: those tests again under
# ThreadSanitizer, with Qt and the platform parts (only the two test programs are built).
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVOR_TSAN=ON >/dev/null
cmake --build build-tsan -j "$jobs" --target kelvor_core_tests kelvor_qt_tests
tsan_tests='^(SoundStream|Opl2Chip|PitSpeaker|PortBus|ImagePlayer)\.|AudioPaths|DesktopStream|StartSequence|EarRoutingPaths|SoftOnset|ParameterPaths'

source scripts/test-env.sh
trap kelvor_env_stop EXIT
kelvor_env_start

status=0
echo "== full build: every test"
# One test at a time: the audio tests share one sound server and record its monitor.
(cd build && timeout 3000 ctest --output-on-failure --timeout 600) || status=1

echo "== core and emulated hardware under ASan + UBSan"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  timeout 1800 ctest --output-on-failure -j "$jobs" --timeout 600) || status=1

echo "== emulated hardware and audio under ThreadSanitizer"
# Any report fails its test (TSan's exit code), except the ones in libpulse that tests/tsan.supp names
# with its reason. Qt and libpulse are not built with TSan: the locks and atomics inside them are
# invisible to it, so the memory their own threads hand each other through the calls it does see (malloc,
# memcpy, pthread_mutex_lock inside libpulse) looks racy; ignore_noninstrumented_modules leaves those
# calls out and keeps every access our code makes. The recorder is a forked parec: TSan must let the
# child run.
(cd build-tsan && TSAN_OPTIONS="suppressions=$root/tests/tsan.supp ignore_noninstrumented_modules=1 \
  die_after_fork=0 second_deadlock_stack=1" \
  timeout 1800 ctest --output-on-failure --timeout 600 -R "$tsan_tests") || status=1

echo "== results file reader fuzzed (libFuzzer, ASan + UBSan)"
scripts/fuzz.sh 45 || status=1

exit $status
