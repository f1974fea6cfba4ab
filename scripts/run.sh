#!/usr/bin/env bash
# Builds the Windows program and starts it under Wine: on the current X display, or on a virtual one
# (then a screenshot of the bar is saved to build/screenshots/run.png). The program runs in a Wine prefix
# of its own, not the tests': the first run shows the bar as a fresh Windows account does, and later runs
# keep the options chosen in earlier ones. DIDA_RUN_DIR moves that prefix (default build/run).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$(nproc)" --target DidaMiniClock
export BENCH_DIR=${DIDA_RUN_DIR:-$PWD/build/run}
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
