#!/usr/bin/env bash
# Installs what is missing, builds, starts a private sound server, display and printer, and runs every
# test: first the full build (core, emulated hardware, platform, UI, end-to-end), then the core and
# emulated hardware tests again under AddressSanitizer + UndefinedBehaviorSanitizer, then a short fuzz pass
# over the results file reader (scripts/fuzz.sh, clang + libFuzzer).
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc)

scripts/install-deps

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVOR_TESTS=ON >/dev/null
cmake --build build -j "$jobs"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELVOR_CORE_ONLY=ON -DKELVOR_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"

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

echo "== results file reader fuzzed (libFuzzer, ASan + UBSan)"
scripts/fuzz.sh 45 || status=1

exit $status
