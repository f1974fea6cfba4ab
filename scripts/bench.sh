#!/usr/bin/env bash
# What the program costs next to the least a bar of its shape needs: a bare Win32 bar with a tray icon
# (tests/bench/bare_bar.cpp), built here by the same toolchain and run on the same Wine bench. Prints, side
# by side: start-up to the visible bar, resident memory after settling, CPU time and voluntary context
# switches over an idle minute (the program also armed, 指定 an hour ahead), executable size; then how late
# each kind of reminder fires, measured from outside against the system clock. A benchmark, not a test: it
# asserts nothing. Best on an idle machine.
#   BENCH_RUNS          runs per kind of reminder (default 5)
#   BENCH_LAUNCHES      launches of each program for the start-up, which is noisy (default 11)
#   BENCH_IDLE_SECONDS  the idle window (default 60)
#   BENCH_SETTLE        seconds after start-up before memory is read (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${BENCH_RUNS:-5}
launches=${BENCH_LAUNCHES:-11}
idle=${BENCH_IDLE_SECONDS:-60}
settle=${BENCH_SETTLE:-5}

bash scripts/deps.sh >/dev/null
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$(nproc)" --target DidaMiniClock dida_driver dida_bare_bar >/dev/null
program=build/mingw/src/DidaMiniClock.exe
bare=build/mingw/tests/bench/dida_bare_bar.exe
drv=build/mingw/tests/e2e/dida_driver.exe
work=$(mktemp -d)

source tests/e2e/bench.sh
bench_start
pid=
stop_bar() {
    [ -n "$pid" ] || return 0
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
    driver wait-gone 5000 >/dev/null 2>&1 || true
}
trap 'stop_bar; bench_stop; rm -rf "$work"' EXIT

driver() { wine "$drv" "$@" </dev/null; }
now_ms() { date +%s%3N; }
median() { sort -n | awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
worst() { sort -n | tail -1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "-"}'; }

# launch EXE — starts it from the shell as a user would; pid is its Wine process (a Linux process)
launch() {
    wine "$1" >/dev/null 2>&1 </dev/null &
    pid=$!
}

# startup_ms EXE — from the launch to the bar shown at the top edge, seen by a driver already waiting
startup_ms() {
    driver wait-shown 30000 >"$work/shown" &
    local watcher=$! t0
    sleep 0.5  # the driver is up and polling
    t0=$(now_ms)
    launch "$1"
    wait "$watcher" || { echo "bench: $1 did not show its bar" >&2; return 1; }
    awk -v t0="$t0" '{printf "%d\n", $1 - t0}' "$work/shown"
    stop_bar
}

cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{sub(/.*\) /, ""); print ($12 + $13) * 1000 / hz}' "/proc/$pid/stat"; }
# Summed over the process's threads; a thread may end while they are read.
wakeups() {
    local n=0 f v
    for f in /proc/"$pid"/task/*/status; do
        v=$(awk '/^voluntary_ctxt_switches/ {print $2}' "$f" 2>/dev/null) || v=0
        n=$((n + ${v:-0}))
    done
    echo "$n"
}

# arm_an_hour_ahead — 指定 an hour from now with "全屏", which plays no preview: the watching timer ticks
# each second and the wake timer is aimed, nothing else
arm_an_hour_ahead() {
    local h m
    read -r h m <<<"$(date -d '+1 hour' '+%-H %-M')"
    driver wait-bar 20000 >/dev/null
    driver select 20 10 1 >/dev/null
    driver settext 72 10 "$h" >/dev/null
    driver settext 108 10 "$m" >/dev/null
    driver settext 144 10 0 >/dev/null
    driver select 213 10 5 >/dev/null
}

# idle_costs EXE [ARM] — "RSS_KB CPU_MS SWITCHES": memory after settling, then CPU and switches over the idle
# window; with ARM, that command runs once the bar is up
idle_costs() {
    launch "$1"
    driver wait-shown 30000 >/dev/null
    [ -z "${2:-}" ] || "$2"
    sleep "$settle"
    local rss cpu0 sw0
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
    cpu0=$(cpu_ms)
    sw0=$(wakeups)
    sleep "$idle"
    echo "$rss $(awk -v a="$(cpu_ms)" -v b="$cpu0" 'BEGIN {print a - b}') $(($(wakeups) - sw0))"
    stop_bar
}

echo "== start-up: $launches launches each, alternating, after one unmeasured launch each"
startup_ms "$program" >/dev/null
startup_ms "$bare" >/dev/null
: >"$work/start_program"
: >"$work/start_bare"
for ((i = 1; i <= launches; i++)); do
    startup_ms "$program" >>"$work/start_program"
    startup_ms "$bare" >>"$work/start_bare"
done
echo "program: $(tr '\n' ' ' <"$work/start_program")ms; bare bar: $(tr '\n' ' ' <"$work/start_bare")ms"

echo "== memory after ${settle} s, then ${idle} idle seconds each"
read -r rss_p cpu_p sw_p <<<"$(idle_costs "$program")"
read -r rss_b cpu_b sw_b <<<"$(idle_costs "$bare")"
echo "== the program armed (指定 an hour ahead), ${idle} more idle seconds"
read -r _ cpu_a sw_a <<<"$(idle_costs "$program" arm_an_hour_ahead)"

# ---- firing lateness

# fresh_bar — the program from a clean registry, its bar complete
fresh_bar() {
    driver reg-delete HKCU 'Software\TORV' >/dev/null 2>&1 || true
    launch "$program"
    driver wait-bar 20000 >/dev/null
}
# watch_arming SECONDS — chooses "全屏", which arms the kind set up before, and records for that long the
# text under the status label and the rest screen's first showing; the record is in $work/watch. (Not "关屏":
# its second's pause after the display command keeps the bar from answering the driver.)
watch_arming() { driver watch 90 10 $(($1 * 1000)) 213 10 5 >"$work/watch"; }
# The first moment a line's text is exactly $1
moment_of() { awk -v want="$1" '{t = $1; sub(/^[^ ]* /, "")} $0 == want {print t; exit}' "$work/watch"; }

: >"$work/late_countdown"
: >"$work/late_countdown_label"
: >"$work/late_settime"
: >"$work/late_hourly"
for ((i = 1; i <= runs; i++)); do
    # 倒计 0/0/3: the status label shows 0 seconds 3 s after it first showed 3.
    fresh_bar
    driver select 20 10 0 >/dev/null
    driver settext 72 10 0 >/dev/null
    driver settext 108 10 0 >/dev/null
    driver settext 144 10 3 >/dev/null
    watch_arming 5
    # Arming is between the choice and the label's first text; the label is read once the choice's handler
    # has ended, so against the choice the lateness is an upper bound, against the label a lower one.
    chosen=$(moment_of "<selected>")
    armed=$(moment_of "剩余：0小时0分3秒")
    fired=$(moment_of "剩余：0小时0分0秒")
    awk -v c="$chosen" -v f="$fired" 'BEGIN {printf "%.1f\n", f - c - 3000}' >>"$work/late_countdown"
    awk -v a="$armed" -v f="$fired" 'BEGIN {printf "%.1f\n", f - a - 3000}' >>"$work/late_countdown_label"
    stop_bar

    # 指定 three seconds ahead with "全屏": the firing starts the rest screen's one-second timer, whose first
    # tick shows it; the moment it shows, less that second, is the firing's lateness at most.
    fresh_bar
    driver select 20 10 1 >/dev/null
    target=$(($(date +%s) + 3))
    read -r h m s <<<"$(date -d "@$target" '+%-H %-M %-S')"
    driver settext 72 10 "$h" >/dev/null
    driver settext 108 10 "$m" >/dev/null
    driver settext 144 10 "$s" >/dev/null
    watch_arming 6
    fired=$(moment_of "<rest-screen>")
    awk -v f="$fired" -v t="$target" 'BEGIN {printf "%.1f\n", f - t * 1000 - 1000}' >>"$work/late_settime"
    stop_bar

    # 整点 at a minute that does not come during the run: each change of the live clock against the
    # second it shows.
    fresh_bar
    driver select 20 10 2 >/dev/null
    driver settext 108 10 $((($(date +%-M) + 30) % 60)) >/dev/null
    watch_arming 6
    awk '{t = $1; text = $0; sub(/^[^ ]* /, "", text)}
         text ~ /^[0-9]+时[0-9]+分[0-9]+秒$/ {
             gsub(/时|分|秒/, " ", text)
             split(text, f, " ")
             sec = int(t / 1000); late = t - sec * 1000 + ((sec % 60 - f[3] + 60) % 60) * 1000
             if (++n <= 5) printf "%.1f\n", late
         }' "$work/watch" >>"$work/late_hourly"
    stop_bar
done

size_p=$(stat -c %s "$program")
size_b=$(stat -c %s "$bare")
st_p=$(median <"$work/start_program")
st_b=$(median <"$work/start_bare")
min_p=$(sort -n "$work/start_program" | head -1)
min_b=$(sort -n "$work/start_bare" | head -1)
echo
echo "== DidaMiniClock against a bare bar of the same shape, under $(wine --version 2>/dev/null)"
printf '%-34s %12s %12s %7s   %s\n' "" "program" "bare bar" "ratio" "goal"
printf '%-34s %9s ms %9s ms %7s   %s\n' "start-up to visible bar, median" "$st_p" "$st_b" "$(ratio "$st_p" "$st_b")" "≤ 1.10"
printf '%-34s %9s ms %9s ms %7s   %s\n' "  fastest of $launches (least disturbed)" "$min_p" "$min_b" "$(ratio "$min_p" "$min_b")"
printf '%-34s %9.1f MB %9.1f MB %7s   %s\n' "resident memory after ${settle} s" "$(awk -v k="$rss_p" 'BEGIN {print k / 1024}')" \
    "$(awk -v k="$rss_b" 'BEGIN {print k / 1024}')" "$(ratio "$rss_p" "$rss_b")" "≤ 1.15"
printf '%-34s %9s ms %9s ms %7s   %s\n' "CPU over ${idle} idle s" "$cpu_p" "$cpu_b" "" "0"
printf '%-34s %12s %12s %7s   %s\n' "voluntary switches over ${idle} s" "$sw_p" "$sw_b" "" "0"
printf '%-34s %9s ms %12s %7s   %s\n' "  armed, 指定 an hour ahead: CPU" "$cpu_a" "-" "" "the watching timer's"
printf '%-34s %12s %12s %7s   %s\n' "  armed: voluntary switches" "$sw_a" "-" "" "≈ 1 a second"
printf '%-34s %10s B %10s B %7s   %s\n' "executable size" "$size_p" "$size_b" "$(ratio "$size_p" "$size_b")" \
    "program ≤ 1153434 B (1.1 MB)"
echo
echo "== firing lateness, ms after the true moment ($runs runs per kind; goal: every one ≤ 50)"
echo "   倒计 0/0/3: the label shows 0 s, against 3 s after the choice (at most) and after the label first showed"
echo "   3 s (at least); 指定: the rest screen a second after the firing, against the set second (at most);"
echo "   整点: each change of the live clock, against the start of the second it shows (5 per run)"
printf '%-24s %7s %7s %7s   %s\n' "kind" "samples" "median" "worst" "all"
for row in "countdown, at most:late_countdown" "countdown, at least:late_countdown_label" \
    "at a set time:late_settime" "hourly live clock:late_hourly"; do
    file=$work/${row##*:}
    printf '%-24s %7s %7s %7s   %s\n' "${row%:*}" "$(wc -l <"$file")" "$(median <"$file")" "$(worst <"$file")" \
        "$(tr '\n' ' ' <"$file")"
done
