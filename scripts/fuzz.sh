#!/usr/bin/env bash
# Fuzzes the results file reader and everything that carries what it read (charts, reports, printing)
# with libFuzzer under AddressSanitizer + UndefinedBehaviorSanitizer, built with clang in build-fuzz.
#   scripts/fuzz.sh [seconds]     (default 45; ./test.sh runs the default)
# The seed corpus in tests/fuzz/corpus/results stays as it is; what the fuzzer finds goes into
# build-fuzz/corpus/results. A crash leaves its input as build-fuzz/crash-* and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-45}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVOR_CORE_ONLY=ON \
  -DKELVOR_SANITIZE=ON -DKELVOR_FUZZ=ON -DKELVOR_WERROR=ON ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER} >/dev/null
cmake --build build-fuzz --target results_fuzz

mkdir -p build-fuzz/corpus/results
# Lines up to past the reader's line limit (64 KiB) are in reach; -timeout catches a hang.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  build-fuzz/tests/results_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=70000 \
  -print_final_stats=1 -artifact_prefix=build-fuzz/ build-fuzz/corpus/results tests/fuzz/corpus/results \
  2>build-fuzz/fuzz.log || { tail -60 build-fuzz/fuzz.log >&2; exit 1; }
grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' build-fuzz/fuzz.log |
  sed 's/^stat::/fuzz: /'
