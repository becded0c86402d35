#!/usr/bin/env bash
# The simulated listener takes a whole test of both ears on the data stream, the preset output. The
# working folder holds no "Kelvor.dat", so Start takes the first-use road: the settings dialog, the
# mixer message and the held 1 kHz 12 dB calibration tone, by which the listener sets its mixer.
# Usage: listener_data_stream.sh <kelvor binary> <build dir>
# timeout: 600
# desktop lane: 2
exec bash "$(dirname "$0")/harness/run_listener.sh" "$1" "$2/e2e/listener_data_stream" --path stream --first-use
