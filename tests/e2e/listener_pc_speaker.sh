#!/usr/bin/env bash
# The simulated listener takes a whole test of both ears from the emulated PC speaker, chosen through
# the settings dialog (after its "no Volume Adjustment" message). A results file from an earlier test
# lies in the working folder: Start begins the test at once, and Save replaces the file. The speaker
# has no volume: every level above 0 sounds at its one loudness, far above this listener's thresholds,
# so every frequency must come out at 2 dB, the first level above 0.
# Usage: listener_pc_speaker.sh <kelvor binary> <build dir>
# timeout: 420
# desktop lane: 1
exec bash "$(dirname "$0")/harness/run_listener.sh" "$1" "$2/e2e/listener_pc_speaker" --path speaker
