#!/usr/bin/env bash
# The simulated listener's first-use test on the data stream, on the desktop most of our users run:
# PipeWire with its PulseAudio service (its graph at 48 kHz, resampling ours) and the program a native
# client of a headless Wayland compositor, which gives no window focus. The settings dialog Start shows
# must be set up all the same.
# Usage: listener_data_stream_on_pipewire_wayland.sh <kelvor binary> <build dir>
# timeout: 600
# desktop lane: pipewire
exec bash "$(dirname "$0")/harness/run_listener.sh" "$1" "$2/e2e/listener_data_stream_on_pipewire_wayland" \
  --path stream --first-use --sound-server pipewire --display wayland
