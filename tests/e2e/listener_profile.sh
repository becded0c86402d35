#!/usr/bin/env bash
# Hearing levels through a headphone profile on a German desktop: one short reference run by a normal
# listener on a simulated headphone, a listener with a known loss whose hearing levels in "Kelvor.txt" must
# be that loss, and a new start that reads the profile.
# Usage: listener_profile.sh <kelvor binary> <build dir>
# timeout: 600
# desktop lane: 2
export PYTHONDONTWRITEBYTECODE=1
exec /usr/bin/python3 "$(dirname "$0")/harness/profile_listener.py" --binary "$1" --artifacts "$2/e2e/listener_profile"
