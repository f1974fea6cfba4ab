#!/usr/bin/env bash
# Builds the Windows program and starts it under Wine: on the current X display, or on a virtual one
# (then a screenshot of the bar is saved to build/screenshots/run.png).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$(nproc)" --target DidaMiniClock
source tests/e2e/bench.sh
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  BENCH_DISPLAY=$DISPLAY
fi
bench_start
trap bench_stop EXIT
wine build/mingw/src/DidaMiniClock.exe &
pid=$!
if [ -z "${BENCH_OWN_DISPLAY:-}" ]; then wait $pid; exit; fi
sleep 4
mkdir -p build/screenshots
import -display "$DISPLAY" -window root build/screenshots/run.png && echo "screenshot: build/screenshots/run.png"
echo "running on virtual display $DISPLAY; press Ctrl-C to stop"
wait $pid
