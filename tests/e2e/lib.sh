# Shared by the end-to-end tests: the bench, the driver, the program under test, screenshots and checks.
# A test sources this file, calls dida_start, drives and checks, and ends with e2e_finish.
#   DIDA_DRIVER       the driver .exe       (set by tests/e2e/CMakeLists.txt)
#   DIDA_EXE          the program .exe
#   DIDA_SCREENSHOTS  where the PNGs go
set -u
_e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$_e2e_dir/bench.sh"
: "${DIDA_DRIVER:?run through ctest}" "${DIDA_EXE:?run through ctest}" "${DIDA_SCREENSHOTS:?run through ctest}"

e2e_name=$(basename "$0" .sh)
e2e_failures=0
dida_pid=
dida_exit=
_e2e_hooks=()

# e2e_on_finish COMMAND — run by e2e_finish after the program is gone, on every road out of the test
e2e_on_finish() { _e2e_hooks+=("$1"); }

# Joins the bench of the calling shell, or starts one for this test alone and stops it at the end.
bench_start || { echo "FAIL: the bench did not start"; exit 1; }
_e2e_own_bench=${_bench_keepalive_pid:-}
mkdir -p "$DIDA_SCREENSHOTS"

driver() { wine "$DIDA_DRIVER" "$@" </dev/null; }

# The display scale the program runs at (LogPixels, 96 unless a test says otherwise). The driver's points are
# device pixels: a test names them in the bar's design pixels and turns them with px, rounded as the system does.
e2e_dpi=96
px() { echo $((($1 * e2e_dpi + 48) / 96)); }

pass() { echo "ok: $1"; }
fail() {
    echo "FAIL: $1"
    e2e_failures=$((e2e_failures + 1))
}

# check_eq WHAT WANT GOT
check_eq() {
    if [ "$3" = "$2" ]; then pass "$1 ($3)"; else fail "$1: expected [$2], got [$3]"; fi
}

# check WHAT COMMAND… — the command's success is the check
check() {
    local what=$1
    shift
    if "$@" >/dev/null; then pass "$what"; else fail "$what"; fi
}

shot() {
    local file=$DIDA_SCREENSHOTS/${e2e_name}_$1.png
    import -display "$DISPLAY" -window root "$file" 2>/dev/null && echo "screenshot: $file"
}

# Starts the program on a clean slate and waits until its bar is complete.
dida_start() {
    # A bar left over from an aborted test would answer instead of ours.
    if ! driver wait-gone 0 2>/dev/null; then
        wine taskkill /f /im "$(basename "$DIDA_EXE")" >/dev/null 2>&1 </dev/null
        driver wait-gone 5000 2>/dev/null || { fail "an earlier bar does not go away"; e2e_finish; }
    fi
    local log=$DIDA_SCREENSHOTS/${e2e_name}.log
    wine "$DIDA_EXE" "$@" >"$log" 2>&1 </dev/null &
    dida_pid=$!
    dida_exit=
    if ! driver wait-bar 20000; then
        fail "the bar came up"
        e2e_finish
    fi
}

# Waits for the program to end by itself; sets dida_exit.
dida_wait_exit() {
    local timeout=${1:-10} i
    [ -n "$dida_pid" ] || return 1
    for ((i = 0; i < timeout * 10; i++)); do
        if ! kill -0 "$dida_pid" 2>/dev/null; then
            wait "$dida_pid"
            dida_exit=$?
            dida_pid=
            return 0
        fi
        sleep 0.1
    done
    return 1
}

dida_kill() {
    [ -n "$dida_pid" ] || return 0
    kill "$dida_pid" 2>/dev/null
    wait "$dida_pid" 2>/dev/null
    dida_pid=
    driver wait-gone 5000 2>/dev/null
}

e2e_finish() {
    trap - EXIT
    dida_kill
    local hook
    for hook in "${_e2e_hooks[@]}"; do eval "$hook"; done
    [ -n "$_e2e_own_bench" ] && bench_stop
    if ((e2e_failures)); then
        echo "$e2e_name: $e2e_failures check(s) failed"
        exit 1
    fi
    echo "$e2e_name: all checks passed"
    exit 0
}
trap e2e_finish EXIT
