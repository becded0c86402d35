#!/usr/bin/env bash
# The real program where things go wrong, each made for real: no display, no sound server, no printer,
# a read-only working folder, a "Kelvor.dat" that is a folder, one of 100 MB and one that may not be
# read. It must say what is wrong, keep running and keep the files, and end normally.
# Usage: bad_environments.sh <kelvor binary> <build dir>
# desktop lane: 2
PYTHONDONTWRITEBYTECODE=1 exec /usr/bin/python3 "$(dirname "$0")/harness/bad_environments.py" --binary "$1"
