#!/usr/bin/env bash
# Installs what is missing, builds and starts Kelvor in the folder it was started from (its results, report
# and screen image files go there).
set -euo pipefail
caller=$(pwd)
cd "$(dirname "$0")"
root=$(pwd)
scripts/install-deps
scripts/configure-program build
cmake --build build -j "$(nproc)" --target kelvor
# Without a display Qt would abort with a long message about its platform plugins: say it in one line.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display to show Kelvor on (DISPLAY and WAYLAND_DISPLAY are unset); start it from a desktop session." >&2
  exit 1
fi
cd "$caller"
exec "$root/build/src/kelvor" "$@"
