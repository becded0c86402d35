#!/usr/bin/env bash
# Installs what is missing, builds, starts a private sound server, display and printer, and runs every
# test: the full build (core, emulated hardware, platform, UI, end-to-end); meanwhile, in the background,
# the core and emulated hardware tests again under AddressSanitizer + UndefinedBehaviorSanitizer (in the
# clang build the fuzzer uses) and a short fuzz pass over the results file reader (scripts/fuzz.sh, clang +
# libFuzzer); then the emulated hardware and audio tests under ThreadSanitizer.
# Every stage says how many tests it ran and skipped, and how long it took. A test that skipped is run
# once more; a sanitizer stage with a test that skips again fails, as it would have checked nothing.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc)

scripts/install-deps test

# ccache where it is installed: a second clone or build reuses the first one's objects.
cache=()
if command -v ccache >/dev/null 2>&1; then
  cache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
  # The precompiled headers: without these ccache passes every file that uses one to the compiler.
  export CCACHE_SLOPPINESS=${CCACHE_SLOPPINESS:-pch_defines,time_macros}
fi

stages=()
# CPU seconds of the finished children so far (the machine may be shared: CPU time shows the work).
cpu_file=$(mktemp /tmp/kelvor-cpu.XXXXXX)
cpu_seconds() { # sets cpu_now; `times` must run in this shell, not in a subshell of its own
  times >"$cpu_file"
  cpu_now=$(tail -1 "$cpu_file" | awk '{ n = 0; for (i = 1; i <= 2; ++i) { split($i, p, /[ms]/); n += p[1] * 60 + p[2] }
    printf "%d", n }')
}
stage_start() { stage_name=$1; stage_began=$SECONDS; cpu_seconds; stage_cpu=$cpu_now; echo "== $1"; }
stage_end() {
  cpu_seconds
  local took=$((SECONDS - stage_began)) cpu=$((cpu_now - stage_cpu))
  stages+=("$(printf '%-56s %3d:%02d   %3d:%02d' "$stage_name" $((took / 60)) $((took % 60)) $((cpu / 60)) $((cpu % 60)))")
  echo "== $stage_name: $((took / 60)) min $((took % 60)) s (CPU $((cpu / 60)) min $((cpu % 60)) s)"
}

# run_tests <build dir> <strict: 1 = a skip fails> <ctest arguments...>
# Runs ctest and says how many tests ran, passed, failed and skipped. A skipped test runs once more; what
# skips again counts as skipped, and fails a strict stage.
skipped_in() { sed -n 's/^\t *[0-9]* - \(.*\) (Skipped)$/\1/p' "$1"; }
run_tests() {
  local dir=$1 strict=$2 rc=0 log again skipped names ran passed failed count
  shift 2
  log=$(mktemp /tmp/kelvor-ctest.XXXXXX)
  again=$(mktemp /tmp/kelvor-ctest.XXXXXX)
  (cd "$dir" && ctest --output-on-failure "$@") 2>&1 | tee "$log" || rc=1
  skipped=$(skipped_in "$log")
  if [ -n "$skipped" ]; then
    echo "-- once more, as they skipped: $(echo "$skipped" | paste -sd' ')"
    names=$(echo "$skipped" | sed 's/[][\\.*^$()+?{}|]/\\&/g' | paste -sd'|')
    (cd "$dir" && ctest --output-on-failure "$@" -R "^($names)\$") 2>&1 | tee "$again" || rc=1
    skipped=$(skipped_in "$again")
  fi
  ran=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: ' "$log" || true)
  passed=$(grep -cE '^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed ' "$log" "$again" | awk -F: '{n += $NF} END {print n}')
  failed=$(cat "$log" "$again" | grep -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: ' | grep -vcE '( Passed|\*\*\*Skipped) ' || true)
  count=0
  [ -n "$skipped" ] && count=$(echo "$skipped" | wc -l)
  echo "-- $ran tests: $passed passed, $failed failed, $count skipped"
  if [ "$count" -gt 0 ]; then
    echo "-- skipped twice: $(echo "$skipped" | paste -sd' ')"
    if [ "$strict" = 1 ]; then
      echo "-- a sanitizer stage with a skipped test has not checked it: failed"
      rc=1
    fi
  fi
  if [ "$ran" -eq 0 ]; then
    echo "-- no test ran: failed"
    rc=1
  fi
  rm -f "$log" "$again"
  return $rc
}

status=0

# ./run.sh configures with only what it installs: the same configuration with the test packages hidden
# from CMake must still succeed (configuring alone takes seconds, and is where that breaks). So must a
# packager's: a Release build, and one with Debian's default flags. Those builds treat no warning as an
# error (only ours below do), so what a higher optimisation or other flags may add to the warnings stops
# no build of theirs; what fails to compile fails our own build below too.
stage_start "configure as ./run.sh does, without GoogleTest; as packagers do"
rm -rf build-runcheck
scripts/configure-program build-runcheck -DCMAKE_DISABLE_FIND_PACKAGE_GTest=TRUE
rm -rf build-runcheck
scripts/configure-program build-runcheck -DCMAKE_BUILD_TYPE=Release -DKELVOR_TESTS=OFF
rm -rf build-runcheck
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  scripts/configure-program build-runcheck -DCMAKE_BUILD_TYPE=None -DKELVOR_TESTS=OFF
rm -rf build-runcheck
stage_end

stage_start "build: full (GCC, RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVOR_TESTS=ON -DKELVOR_REQUIRE_TESTS=ON \
  -DKELVOR_BENCH=OFF -DKELVOR_WERROR=ON "${cache[@]}" >/dev/null
cmake --build build -j "$jobs"
stage_end

# The sanitizer builds, the AddressSanitizer pass and the fuzzer need no test environment. They run in the
# background at the lowest priority while the full build's tests run, most of whose time goes to
# end-to-end runs waiting on real timers (a listener run the machine was too busy for is repeated by its
# harness, and counted as skipped after a second one). The ThreadSanitizer tests record the private sound
# server, so they run after the full build's tests.
sanitizer_work() {
  stages=()
  local failed=0
  # One clang build serves the AddressSanitizer + UndefinedBehaviorSanitizer pass and the fuzzer.
  stage_start "build: core + fuzzer (clang, ASan + UBSan), background"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVOR_CORE_ONLY=ON \
    -DKELVOR_SANITIZE=ON -DKELVOR_FUZZ=ON -DKELVOR_REQUIRE_TESTS=ON -DKELVOR_WERROR=ON "${cache[@]}" >/dev/null
  cmake --build build-fuzz -j "$jobs"
  stage_end
  stage_start "tests: core and emulated hardware, ASan + UBSan, background"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    run_tests build-fuzz 1 -j "$jobs" --timeout 600 >>build/sanitizer-tests.log 2>&1 || failed=1
  stage_end
  stage_start "fuzz: results file reader (libFuzzer, ASan + UBSan), background"
  scripts/fuzz.sh 45 >>build/sanitizer-tests.log 2>&1 || failed=1
  stage_end
  stage_start "build: emulated hardware + audio (TSan), background"
  cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVOR_TSAN=ON -DKELVOR_REQUIRE_TESTS=ON \
    -DKELVOR_BENCH=OFF -DKELVOR_WERROR=ON "${cache[@]}" >/dev/null
  cmake --build build-tsan -j "$jobs" --target kelvor_tsan_tests
  stage_end
  printf '%s\n' "${stages[@]}" >build/sanitizer-builds.stages
  [ "$failed" = 0 ] || touch build/sanitizer-tests.failed
}
rm -f build/sanitizer-builds.stages build/sanitizer-tests.log build/sanitizer-tests.failed
(renice -n 19 "$BASHPID" >/dev/null || true; sanitizer_work) >build/sanitizer-builds.log 2>&1 &
sanitizer_builds_pid=$!
# Ends a process and everything it started, children first.
end_tree() {
  local child
  for child in $(pgrep -P "$1"); do end_tree "$child"; done
  kill "$1" 2>/dev/null || true
}

source scripts/test-env.sh
trap 'end_tree "$sanitizer_builds_pid"; kelvor_env_stop' EXIT
kelvor_env_start

# Tests that share the one sound server or printer hold a lock (tests/CMakeLists.txt); the end-to-end
# runs bring their own desktops, one per desktop lane at once. The rest run side by side.
stage_start "tests: full build"
run_tests build 0 -j $((jobs + 2)) --timeout 600 || status=1
stage_end

stage_start "the sanitizer builds and the ASan + UBSan pass finish"
if ! wait "$sanitizer_builds_pid"; then
  tail -80 build/sanitizer-builds.log
  echo "-- the sanitizer builds failed (build/sanitizer-builds.log)"
  exit 1
fi
stage_end
mapfile -t -O "${#stages[@]}" stages <build/sanitizer-builds.stages
echo "== the ASan + UBSan tests and the fuzzer, run in the background"
cat build/sanitizer-tests.log
if [ -e build/sanitizer-tests.failed ]; then status=1; fi

# Any report fails its test (TSan's exit code), except the ones in libpulse that tests/tsan.supp names
# with its reason. Qt and libpulse are not built with TSan: the locks and atomics inside them are
# invisible to it, so the memory their own threads hand each other through the calls it does see (malloc,
# memcpy, pthread_mutex_lock inside libpulse) looks racy; ignore_noninstrumented_modules leaves those
# calls out and keeps every access our code makes. The recorder is a forked parec: TSan must let the
# child run.
stage_start "tests: emulated hardware and audio, TSan"
TSAN_OPTIONS="suppressions=$root/tests/tsan.supp ignore_noninstrumented_modules=1 die_after_fork=0 \
second_deadlock_stack=1" run_tests build-tsan 1 -j "$jobs" --timeout 600 || status=1
stage_end

printf '== %-53s %6s %8s\n' "time per stage (m:ss)" wall CPU
printf '%s\n' "${stages[@]}"
echo "== total: $((SECONDS / 60)) min $((SECONDS % 60)) s"
rm -f "$cpu_file"
exit $status
