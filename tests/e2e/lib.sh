# Shared by the end-to-end tests: the bench, the driver, the program under test, screenshots and checks.
# A test sources this file, calls dida_start, drives and checks, and ends with e2e_finish. A script that ends
# any other way (an unset variable, an exit in a helper, a command that killed the shell) fails, whatever its
# checks said until then: the checks after the point where it stopped were never made.
# Every test starts from the program's settings as a first start finds them, and leaves them so.
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
_e2e_finished=

# e2e_on_finish COMMAND — run by e2e_finish after the program is gone, on every road out of the test
e2e_on_finish() { _e2e_hooks+=("$1"); }

# Joins the bench of the calling shell, or starts one for this test alone and stops it at the end.
bench_start || { echo "FAIL: the bench did not start"; exit 1; }
_e2e_own_bench=${_bench_keepalive_pid:-}
mkdir -p "$DIDA_SCREENSHOTS"

driver() { wine "$DIDA_DRIVER" "$@" </dev/null; }

# Where the program keeps what it stores: its options, and the start-with-the-system entry in either hive.
e2e_options_key='Software\TORV'
e2e_run_key='Software\Microsoft\Windows\CurrentVersion\Run'

# e2e_clean_settings — the registry as before the program's first start
e2e_clean_settings() {
    driver reg-delete HKCU "$e2e_options_key" 2>/dev/null
    driver reg-delete HKLM "$e2e_run_key" TORV 2>/dev/null
    driver reg-delete HKCU "$e2e_run_key" TORV 2>/dev/null
    return 0
}
e2e_clean_settings

# e2e_use_prefix DIR — from now on the program, the driver and Wine run in that prefix (a copy of the bench's),
# from its settings of a first start: a copy carries the registry as the bench's server last wrote it to
# disk, which may be well behind what the tests before this one left and took away again
e2e_use_prefix() {
    export WINEPREFIX=$1
    e2e_clean_settings
}

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

# wait_output WANT TIMEOUT_MS COMMAND… — until the command prints WANT; else prints what it printed last
wait_output() {
    local want=$1 end=$(($(now_ms) + $2)) got
    shift 2
    while :; do
        got=$("$@" 2>/dev/null)
        [ "$got" = "$want" ] && return 0
        (($(now_ms) < end)) || break
        sleep 0.03
    done
    echo "$got"
    return 1
}

# check_until WHAT WANT TIMEOUT_MS COMMAND… — the check that the command prints WANT within the time; a
# failure names what it printed last
check_until() {
    local what=$1 want=$2 got
    shift 2
    if got=$(wait_output "$want" "$@"); then
        pass "$what ($want)"
    else
        fail "$what: expected [$want], last got [$got]"
    fi
}

# shot NAME [WINDOW] — a screenshot once the bar (or the program's window of that name) has painted
shot() {
    local file=$DIDA_SCREENSHOTS/${e2e_name}_$1.png
    if [ -n "${2:-}" ]; then driver -w "$2" wait-painted 3000; else driver wait-painted 3000; fi 2>/dev/null
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

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# wait_text_in WINDOW X Y WANT TIMEOUT_MS — until the control at that point of the program's window of that name
# (the bar when WINDOW is empty) shows WANT; with WANT ending in "*", a text beginning with the rest
wait_text_in() {
    local end=$(($(now_ms) + $5)) got
    while :; do
        got=$(driver -w "$1" text "$2" "$3" 2>/dev/null)
        case $4 in
        *\*) [[ $got == "${4%\*}"* ]] && return 0 ;;
        *) [ "$got" = "$4" ] && return 0 ;;
        esac
        (($(now_ms) < end)) || return 1
        sleep 0.03
    done
}
# wait_text X Y WANT TIMEOUT_MS — the same on the bar
wait_text() { wait_text_in "" "$@"; }
# wait_text_prefix X Y PREFIX TIMEOUT_MS — until the control at that point of the bar shows a text beginning so
wait_text_prefix() { wait_text_in "" "$1" "$2" "$3*" "$4"; }

# x_focus TITLE — gives the window of that title the keyboard, as a click on it would; the keys of xdotool then
# reach it as a user's do
x_focus() {
    local id i
    for i in $(seq 30); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] && xdotool windowfocus --sync "$id" 2>/dev/null
}

# watch_start NAME [-w WINDOW] X Y MS [SX SY INDEX] — records in the background what the control at that point
# of the bar (or of the program's window of that name) shows, as driver watch does: with SX SY INDEX it also
# makes that choice right after its first line. Read the record with watch_texts and watch_moment, after
# watch_wait NAME or while it is written.
declare -A _e2e_watch_pids=()
watch_start() {
    local name=$1 window=()
    shift
    if [ "$1" = -w ]; then
        window=(-w "$2")
        shift 2
    fi
    driver "${window[@]}" -e 5 watch "$@" >"$DIDA_SCREENSHOTS/${e2e_name}_$name.watch" &
    _e2e_watch_pids[$name]=$!
}
watch_wait() { wait "${_e2e_watch_pids[$1]}"; }
# watch_texts NAME — the texts recorded, one a line, without the moments and the <selected> mark
watch_texts() { awk '{ sub(/^[^ ]* ?/, "") } $0 != "<selected>"' "$DIDA_SCREENSHOTS/${e2e_name}_$1.watch"; }
# watch_moment NAME TEXT — the moment (whole ms) the record first shows TEXT; empty when it never does
watch_moment() {
    awk -v want="$2" '{ t = $1; sub(/\..*/, "", t); sub(/^[^ ]* ?/, "") } $0 == want { print t; exit }' \
        "$DIDA_SCREENSHOTS/${e2e_name}_$1.watch"
}
# watch_until NAME TEXT TIMEOUT_MS — until the record, still being written, shows TEXT
watch_until() {
    local end=$(($(date +%s%N) / 1000000 + $3))
    while [ -z "$(watch_moment "$1" "$2")" ]; do
        (($(date +%s%N) / 1000000 < end)) || return 1
        sleep 0.05
    done
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

# Ends what the test started: the program, the recorders (each ends by itself when its time is up), the hooks,
# the settings, its own bench.
_e2e_clean_up() {
    local hook pid
    dida_kill
    for pid in "${_e2e_watch_pids[@]}"; do wait "$pid" 2>/dev/null; done
    for hook in "${_e2e_hooks[@]}"; do eval "$hook"; done
    e2e_clean_settings
    [ -n "$_e2e_own_bench" ] && bench_stop
}

e2e_finish() {
    _e2e_finished=1
    trap - EXIT
    _e2e_clean_up
    if ((e2e_failures)); then
        echo "$e2e_name: $e2e_failures check(s) failed"
        exit 1
    fi
    echo "$e2e_name: all checks passed"
    exit 0
}

# On any other way out the script stopped before its end: it fails with its own status, or 1 when that was 0.
_e2e_stopped_early() {
    local status=$?
    trap - EXIT
    [ -n "$_e2e_finished" ] && exit "$status"
    echo "FAIL: $e2e_name stopped before its end (exit status $status) after $e2e_failures failed check(s)"
    _e2e_clean_up
    ((status)) || status=1
    exit "$status"
}
trap _e2e_stopped_early EXIT
# A test stopped from outside (its time ran out) still takes its program and settings with it.
trap 'exit 143' TERM
trap 'exit 130' INT
