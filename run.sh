#!/usr/bin/env bash
# Installs what is missing, builds and starts Kelvor.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVOR_TESTS=OFF >/dev/null
cmake --build build -j "$(nproc)" --target kelvor
exec build/src/kelvor "$@"
