#!/usr/bin/env bash
# The simulated listener's whole test from the emulated OPL2 chip, played through PipeWire's PulseAudio
# service at PipeWire's own rate and quantum.
# Usage: listener_opl2_on_pipewire.sh <kelvor binary> <build dir>
# timeout: 600
# desktop lane: pipewire
exec bash "$(dirname "$0")/harness/run_listener.sh" "$1" "$2/e2e/listener_opl2_on_pipewire" \
  --path opl2 --first-use --sound-server pipewire
