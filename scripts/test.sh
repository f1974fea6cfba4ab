#!/usr/bin/env bash
# Builds everything from nothing and runs every test: native unit and scenario tests, the fuzz targets
# for a few seconds each, then the Windows tests and the end-to-end tests of the real .exe under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
bash scripts/deps.sh

echo "== format"
# The tree stays as .clang-format lays it out; generated media carry their own switch-off.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "== include circles"
python3 scripts/include_cycles.py

echo "== native build and tests"
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$jobs"
ctest --preset linux -j "$jobs"

echo "== fuzz targets"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
# Every target the tree has is fuzzed: one that was not built fails the stage rather than being passed over.
for src in tests/fuzz/*.cpp; do
  name=$(basename "$src" .cpp)
  f=build/fuzz/tests/$name
  [ -x "$f" ] || { echo "fuzz target $name was not built"; exit 1; }
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=tests/fuzz/corpus/$name
  [ -d "$seeds" ] || seeds=
  "$f" -max_total_time="${FUZZ_SECONDS:-5}" -print_final_stats=0 "$corpus" $seeds 2>build/fuzz/$name.log \
    || { tail -40 build/fuzz/$name.log; echo "fuzz target $name failed"; exit 1; }
  echo "$name: $(grep -c . "$corpus"/* 2>/dev/null | wc -l) corpus entries, no crash"
done

echo "== Windows build, Windows tests and end-to-end tests under Wine"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"
echo "== the Windows sources through a second compiler"
bash scripts/clang_windows.sh
source tests/e2e/bench.sh
bench_start
trap bench_stop EXIT
# The bench always names its sound sink: here a sound test that finds none fails rather than skips.
export DIDA_REQUIRE_SINK=1
ctest --preset mingw
