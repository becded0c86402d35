#!/usr/bin/env bash
# The confirmed threshold through the real window: "Confirm each threshold" checked in the settings
# dialog, two ascents per threshold on real timers, a press while nothing sounds that records nothing.
# Usage: listener_confirmed_threshold.sh <kelvor binary> <build dir>
# desktop lane: 1
export PYTHONDONTWRITEBYTECODE=1
exec /usr/bin/python3 "$(dirname "$0")/harness/confirmed_listener.py" --binary "$1" \
  --artifacts "$2/e2e/listener_confirmed_threshold"
