#!/usr/bin/env bash
# CPU share of the live display over 10 s under Xvfb against the virtual ECU.
# Usage: bench/live/cpu-share.sh [build folder] [screenshot.png]
# The window runs 14 s; the share is measured from its second 2 to second 12,
# after start-up. With a second argument it also saves a picture of the window.
set -euo pipefail
BUILD=${1:-build}
SHOT=${2:-}
PROGRAM="$BUILD/bin/lumex_live_window"
[ -x "$PROGRAM" ] || { echo "missing $PROGRAM (build the target lumex_live_window)" >&2; exit 1; }

DISPLAY_NUMBER=${LUMEX_XVFB_DISPLAY:-97}
Xvfb ":$DISPLAY_NUMBER" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill "$XVFB" 2>/dev/null || true' EXIT
sleep 1

DISPLAY=":$DISPLAY_NUMBER" QT_QPA_PLATFORM=xcb "$PROGRAM" 14 &
WINDOW=$!

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$WINDOW/stat"; }
HZ=$(getconf CLK_TCK)

sleep 2
START=$(cpu_ticks)
START_NS=$(date +%s%N)
if [ -n "$SHOT" ]; then
  sleep 4
  WID=$(DISPLAY=":$DISPLAY_NUMBER" xdotool search --name "parametri vettura" | head -1)
  DISPLAY=":$DISPLAY_NUMBER" import -window "$WID" "$SHOT"
  sleep 6
else
  sleep 10
fi
END=$(cpu_ticks)
END_NS=$(date +%s%N)
wait "$WINDOW" || true

awk -v used="$((END - START))" -v hz="$HZ" -v ns="$((END_NS - START_NS))" 'BEGIN {
  seconds = ns / 1e9
  printf "live window: %.2f s CPU in %.2f s = %.2f %% of one core\n", used / hz, seconds, 100 * used / hz / seconds
}'
