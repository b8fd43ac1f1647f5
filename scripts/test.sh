#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DLUMEX_WERROR=ON
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${LUMEX_BUILD_DIR:-build}" --output-on-failure -j2 --timeout 300
