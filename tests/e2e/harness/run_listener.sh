#!/usr/bin/env bash
# Runs the simulated listener once, and once more when the machine was too busy to play the sound
# without gaps; a second such run ends the test as skipped (status 77) with the reason.
# Usage: run_listener.sh <kelvor binary> <artifacts folder> <listener options...>
set -uo pipefail
binary=$1
artifacts=$2
shift 2
export PYTHONDONTWRITEBYTECODE=1
# Debian's own Python: it has the accessibility bindings (another python3 earlier on PATH may not).
python=/usr/bin/python3
for attempt in 1 2; do
  rm -rf "$artifacts"
  "$python" "$(dirname "$0")/listener.py" --binary "$binary" --artifacts "$artifacts" "$@"
  status=$?
  [ "$status" -ne 77 ] && exit "$status"
  echo "listener: attempt $attempt could not be judged: the sound had gaps (the machine was too busy)"
done
echo "listener: skipped: the sound server ran dry in both attempts; see $artifacts"
exit 77
