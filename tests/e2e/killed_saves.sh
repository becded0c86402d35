#!/usr/bin/env bash
# 80 saves, each ended by SIGKILL at a moment of the save: "Kelvor.dat" and "Kelvor.txt" stay whole,
# the old file or the new one.
# Usage: killed_saves.sh <kelvor binary> <build dir>
# desktop lane: 1
PYTHONDONTWRITEBYTECODE=1 exec /usr/bin/python3 "$(dirname "$0")/harness/killed_saves.py" --binary "$1" --trials 80
