#!/usr/bin/env bash
# Installs what is missing, builds, and starts Lumex on the built-in virtual
# ECU (LUMEX_PORT=sim). Pass "/demo" to start without any ECU at all, or set
# LUMEX_PORT to a serial device (e.g. the path lumex-ecusim prints).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
export LUMEX_PORT=${LUMEX_PORT:-sim}
exec "${LUMEX_BUILD_DIR:-build}/bin/lumex" "$@"
