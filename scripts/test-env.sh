# Sourced by test.sh and bench.sh: a private PulseAudio server with a null sink and an Xvfb display,
# both owned by this shell and stopped by kelvor_env_stop. Daemon output goes to files, never to our pipes.
kelvor_env_start() {
  KELVOR_ENV_DIR=$(mktemp -d /tmp/kelvor-env.XXXXXX)
  export XDG_RUNTIME_DIR="$KELVOR_ENV_DIR/runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"

  # PulseAudio: no autospawn, no config from the user, one null sink. norewinds keeps the start of each
  # tone in the monitor recording.
  cat > "$KELVOR_ENV_DIR/default.pa" <<'PA'
load-module module-native-protocol-unix
load-module module-null-sink sink_name=kelvor_null norewinds=1 rate=44100 channels=2
set-default-sink kelvor_null
set-default-source kelvor_null.monitor
PA
  pulseaudio --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    --system=no -n -F "$KELVOR_ENV_DIR/default.pa" --log-target=file:"$KELVOR_ENV_DIR/pulse.log" \
    >"$KELVOR_ENV_DIR/pulse.out" 2>&1 </dev/null &
  KELVOR_PULSE_PID=$!
  for _ in $(seq 1 100); do
    timeout 5 pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  if ! timeout 5 pactl info >/dev/null 2>&1; then
    echo "test-env: PulseAudio did not start; see $KELVOR_ENV_DIR/pulse.log" >&2
    cat "$KELVOR_ENV_DIR/pulse.out" "$KELVOR_ENV_DIR/pulse.log" >&2 2>/dev/null
    return 1
  fi

  # Xvfb on a free display number.
  local n
  for n in $(seq 91 120); do
    [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] || break
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$KELVOR_ENV_DIR/xvfb.log" 2>&1 </dev/null &
  KELVOR_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X${n}" ] && break
    sleep 0.1
  done
  export KELVOR_ENV_DIR KELVOR_PULSE_PID KELVOR_XVFB_PID
}

kelvor_env_stop() {
  [ -n "${KELVOR_XVFB_PID:-}" ] && kill "$KELVOR_XVFB_PID" 2>/dev/null && wait "$KELVOR_XVFB_PID" 2>/dev/null
  [ -n "${KELVOR_PULSE_PID:-}" ] && kill "$KELVOR_PULSE_PID" 2>/dev/null && wait "$KELVOR_PULSE_PID" 2>/dev/null
  KELVOR_XVFB_PID=""; KELVOR_PULSE_PID=""
  return 0
}
