#!/usr/bin/env bash
# Hearing levels through a headphone profile: two reference runs by a normal listener on a simulated
# headphone, then a listener with a known loss; the hearing levels in "Kelvor.txt" must be that loss.
# Usage: listener_profile.sh <kelvor binary> <build dir>
# timeout: 2400
export PYTHONDONTWRITEBYTECODE=1
exec /usr/bin/python3 "$(dirname "$0")/harness/profile_listener.py" --binary "$1" --artifacts "$2/e2e/listener_profile"
