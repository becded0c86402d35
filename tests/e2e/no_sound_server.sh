#!/usr/bin/env bash
# With no sound server in reach, the audio parts report no output device and stay silent without a
# crash. Usage: no_sound_server.sh <kelvor binary> <build dir>
set -euo pipefail
build=$2
empty=$(mktemp -d /tmp/kelvor-nosound.XXXXXX)
trap 'rm -rf "$empty"' EXIT
chmod 700 "$empty"
out="$empty/out.txt"
if ! env -u DISPLAY XDG_RUNTIME_DIR="$empty" PULSE_RUNTIME_PATH="$empty/pulse" PULSE_SERVER="unix:$empty/none" \
    KELVOR_EXPECT_NO_AUDIO=1 QT_QPA_PLATFORM=offscreen \
    timeout 120 "$build/tests/kelvor_qt_tests" --gtest_filter='NoSoundServer.*' >"$out" 2>&1 </dev/null; then
  cat "$out"
  exit 1
fi
grep -q '\[  PASSED  \] 1 test' "$out" || { cat "$out"; echo "no_sound_server: the test did not run"; exit 1; }
echo "no_sound_server: passed"
