#!/usr/bin/env bash
# The environments that go wrong, with the program a native client of a headless Wayland compositor
# (all but the one without a display).
# Usage: bad_environments_on_wayland.sh <kelvor binary> <build dir>
# desktop lane: 1
cases=()
for c in no_sound_server no_printer read_only_folder results_file_is_a_folder results_file_of_100_mb \
  results_file_not_readable; do
  cases+=(--case "$c")
done
PYTHONDONTWRITEBYTECODE=1 exec /usr/bin/python3 "$(dirname "$0")/harness/bad_environments.py" --binary "$1" \
  --display wayland "${cases[@]}"
