#!/usr/bin/env bash
# Installs what is missing, builds and runs the benchmarks (bench/README.md says what each measures).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps test
# The program as run.sh builds it (-O2): GCC 12 at -O3 reports a false -Wrestrict in string assignments.
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVOR_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)"
source scripts/test-env.sh
trap kelvor_env_stop EXIT
kelvor_env_start
status=0
for b in build-bench/bench/kelvor_bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b") (PulseAudio)"
  timeout 900 "$b" || status=1
done
# The sound once more on PipeWire with its PulseAudio service, as current desktops run it: at its own
# rate and quantum, and with the quantum fixed at 2048 frames (a desktop set for power saving).
for quantum in "" 2048; do
  echo "== kelvor_bench_audio on PipeWire${quantum:+, quantum $quantum}"
  timeout 900 python3 tests/e2e/harness/with_desktop.py --sound pipewire ${quantum:+--quantum $quantum} -- \
    build-bench/bench/kelvor_bench_audio || status=1
done
exit $status
