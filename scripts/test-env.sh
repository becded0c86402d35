# Sourced by test.sh and bench.sh: a private PulseAudio server with a null sink, an Xvfb display and a CUPS
# daemon whose default printer writes each job's PDF into a folder, all owned by this shell and stopped by
# kelvor_env_stop. Daemon output goes to files, never to our pipes.
kelvor_env_start() {
  KELVOR_ENV_DIR=$(mktemp -d /tmp/kelvor-env.XXXXXX)
  export XDG_RUNTIME_DIR="$KELVOR_ENV_DIR/runtime"
  # Profiles and other settings of the runs stay in the run: the user's own are never read or written.
  export XDG_CONFIG_HOME="$KELVOR_ENV_DIR/config"
  mkdir -p "$XDG_CONFIG_HOME"
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
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$KELVOR_ENV_DIR/xvfb.log" 2>&1 </dev/null &
  KELVOR_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X${n}" ] && break
    sleep 0.1
  done
  export KELVOR_ENV_DIR KELVOR_PULSE_PID KELVOR_XVFB_PID
  kelvor_cups_start
}

# CUPS with its own configuration, spool and socket. The default printer is a raw queue whose backend
# (ours, below) stores each job's document unchanged as $KELVOR_PRINT_OUT/job-<id>.pdf: Qt sends PDF, so the
# tests read what the program printed with pdftotext and pdftoppm. CUPS_SERVER points every CUPS client
# (lpstat, lpadmin, Qt's print support) at this daemon only.
kelvor_cups_start() {
  local dir="$KELVOR_ENV_DIR/cups"
  # Filters and backends may run as the lp user: the folders on the way must be open to others.
  chmod 711 "$KELVOR_ENV_DIR"
  mkdir -p "$dir"/{spool,tmp,cache,state,log,out,bin/backend}
  chmod 755 "$dir" "$dir"/{spool,cache,state,log,bin,bin/backend}
  chmod 1777 "$dir/tmp" "$dir/out"
  local sub
  for sub in filter daemon cgi-bin notifier monitor driver; do
    [ -e "/usr/lib/cups/$sub" ] && ln -sfn "/usr/lib/cups/$sub" "$dir/bin/$sub"
  done
  # Owned by root and not executable by others, so CUPS runs it as root and it may write anywhere.
  cat > "$dir/bin/backend/kelvor-pdf" <<'BACKEND'
#!/bin/sh
# kelvor-pdf:/folder -- stores the job's document as folder/job-<id>.pdf (written whole, then renamed).
if [ $# -eq 0 ]; then echo 'direct kelvor-pdf "Unknown" "Kelvor test printer"'; exit 0; fi
out="${DEVICE_URI#kelvor-pdf:}"
tmp="$out/.job-$1.part"
if [ -n "$6" ]; then cat "$6" > "$tmp" || exit 1; else cat > "$tmp" || exit 1; fi
mv "$tmp" "$out/job-$1.pdf"
BACKEND
  chmod 700 "$dir/bin/backend/kelvor-pdf"
  cat > "$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
Browsing Off
LogLevel warn
MaxLogSize 0
WebInterface No
PreserveJobFiles No
PreserveJobHistory Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
CONF
  cat > "$dir/cups-files.conf" <<CONF
ServerRoot $dir
ServerBin $dir/bin
RequestRoot $dir/spool
TempDir $dir/tmp
CacheDir $dir/cache
StateDir $dir/state
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
SystemGroup root
CONF
  cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" >"$dir/log/cupsd.out" 2>&1 </dev/null &
  KELVOR_CUPS_PID=$!
  export CUPS_SERVER="$dir/cups.sock"
  for _ in $(seq 1 100); do
    [ -S "$dir/cups.sock" ] && timeout 5 lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.1
  done
  if ! timeout 10 lpadmin -p kelvor_pdf -v "kelvor-pdf:$dir/out" -E >"$dir/log/lpadmin.out" 2>&1 ||
     ! timeout 10 lpadmin -d kelvor_pdf >>"$dir/log/lpadmin.out" 2>&1; then
    echo "test-env: the private CUPS printer could not be set up; see $dir/log" >&2
    cat "$dir/log/cupsd.out" "$dir/log/lpadmin.out" "$dir/log/error_log" >&2 2>/dev/null
    return 1
  fi
  export KELVOR_CUPS_PID KELVOR_PRINT_OUT="$dir/out"
}

kelvor_env_stop() {
  [ -n "${KELVOR_CUPS_PID:-}" ] && kill "$KELVOR_CUPS_PID" 2>/dev/null && wait "$KELVOR_CUPS_PID" 2>/dev/null
  [ -n "${KELVOR_XVFB_PID:-}" ] && kill "$KELVOR_XVFB_PID" 2>/dev/null && wait "$KELVOR_XVFB_PID" 2>/dev/null
  [ -n "${KELVOR_PULSE_PID:-}" ] && kill "$KELVOR_PULSE_PID" 2>/dev/null && wait "$KELVOR_PULSE_PID" 2>/dev/null
  KELVOR_XVFB_PID=""; KELVOR_PULSE_PID=""; KELVOR_CUPS_PID=""
  return 0
}
