#!/usr/bin/env bash
# Configures and builds Lumex into ./build (or $LUMEX_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${LUMEX_BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$BUILD_DIR" -j"${LUMEX_JOBS:-2}"
