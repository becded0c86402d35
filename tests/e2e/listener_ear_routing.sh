#!/usr/bin/env bash
# The simulated listener hears each channel with its own ear (the balance in the centre) and has two
# different audiograms, with "Tone to the tested ear only" turned on in the settings dialog first. Its
# saved thresholds must be each ear's own: were the tone also on the other channel, the better ear
# would answer first wherever the two ears differ.
# Usage: listener_ear_routing.sh <kelvor binary> <build dir>
# timeout: 600
# desktop lane: 2
exec bash "$(dirname "$0")/harness/run_listener.sh" "$1" "$2/e2e/listener_ear_routing" --path stream \
  --option Ear_Routing --balance centre
