#!/usr/bin/env bash
# The simulated listener takes a whole test of both ears from the emulated OPL2 chip, chosen through
# the settings dialog (port driver method). On the emulated bus the program reports the 95 family, so
# Start opens the extended range, 16000 down to 75 Hz. First use: the listener sets its mixer by the
# chip's own calibration tone.
# Usage: listener_opl2.sh <kelvor binary> <build dir>
# timeout: 600
# desktop lane: 1
exec bash "$(dirname "$0")/harness/run_listener.sh" "$1" "$2/e2e/listener_opl2" --path opl2 --first-use
