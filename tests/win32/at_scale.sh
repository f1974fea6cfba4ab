# A Windows test executable in a copy of the bench's prefix at another display scale:
#   at_scale.sh DPI TEST_EXE [ARGS…]
# The test is told the scale it should find in DIDA_EXPECT_DPI. Joins the bench of the calling shell, or
# starts one for itself.
set -u
source "$(dirname "$0")/../e2e/bench.sh"
dpi=$1
shift
bench_start || { echo "FAIL: the bench did not start"; exit 1; }
own_bench=${_bench_keepalive_pid:-}
prefix=$(bench_scaled_prefix "$dpi") || { echo "FAIL: a prefix at $dpi DPI"; exit 1; }
DIDA_EXPECT_DPI=$dpi WINEPREFIX=$prefix wine "$@" </dev/null
rc=$?
bench_drop_prefix "$prefix"
[ -n "$own_bench" ] && bench_stop
exit $rc
