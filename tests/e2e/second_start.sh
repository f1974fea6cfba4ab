# Starting the program while it runs: the second copy makes no bar and no icon of its own, the running bar
# shows itself again and goes on counting, and the second copy is gone at once with exit code 0. After the
# first copy has been killed, a new start runs normally.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
dida_start

check "倒计 chosen" driver select 20 10 0
check "hours set" driver settext 72 10 0
check "minutes set" driver settext 108 10 5
check "seconds set" driver settext 144 10 0
# 全屏 arms without a preview sound.
check "全屏 chosen" driver select 213 10 5
check "armed" wait_text_prefix 90 10 "剩余：0小时4分" 3000
for m in ldown lup dblclk lup; do driver tray $m; done
check "hidden to the tray" driver wait-visible 0 3000

# The status label is recorded through the second start, so a countdown that stopped or started again shows.
watch_start count 90 10 4500
check "the recorder sees the label" watch_until count "" 5000
started=$(now_ms)
wine "$DIDA_EXE" >"$DIDA_SCREENSHOTS/second_start_copy.log" 2>&1 </dev/null &
second=$!
gone=
for ((i = 0; i < 100; i++)); do
    if ! kill -0 "$second" 2>/dev/null; then
        gone=$(now_ms)
        break
    fi
    sleep 0.05
done
if [ -n "$gone" ]; then
    wait "$second"
    code=$?
    check_eq "the second copy's exit code" 0 "$code"
    check "the second copy was gone within 2 s ($((gone - started)) ms)" test $((gone - started)) -le 2000
else
    fail "the second copy was still running after 5 s"
    kill "$second" 2>/dev/null
fi
check "the running bar shows itself again" driver wait-visible 1 3000
check_eq "one bar" 1 "$(driver bars)"
read -r icons <<<"$(driver tray-icons)"
check_eq "one tray icon" 1 "$icons"
# The screenshot waits for the record: it would load the machine inside the seconds being timed.
watch_wait count
shot shown

# Every line of the record is a moment and the text at the label's point: nothing while the bar is hidden
# (the driver reads visible controls only), then the countdown, whose seconds go down one by one, none
# skipped or repeated, about a second apart, on through the moment of the second start.
shown=$(awk 'seen || NF > 1 { seen = 1; print }' "$DIDA_SCREENSHOTS/${e2e_name}_count.watch")
texts=$(cut -d' ' -f2- <<<"$shown")
check_eq "texts other than the countdown after the bar showed" 0 \
    "$(grep -c -v '^剩余：0小时4分[0-9][0-9]*秒$' <<<"$texts")"
seconds=$(sed 's/^剩余：0小时4分\([0-9]*\)秒$/\1/' <<<"$texts")
n=$(wc -l <<<"$seconds")
check "at least four seconds counted ($n texts)" test "$n" -ge 4
check "each text one second less than the one before" \
    awk 'NR > 1 && $1 != prev - 1 { bad = 1 } { prev = $1 } END { exit bad }' <<<"$seconds"
check "no second took longer than 1.6 s" \
    awk 'NR > 1 && $1 - prev > 1600 { bad = 1 } { prev = $1 } END { exit bad }' <<<"$shown"

# Killed, the first copy takes its mark with it.
dida_kill
dida_start
check_eq "a new start after the first was killed has its bar" 1 "$(driver visible)"
check_eq "and it is the only one" 1 "$(driver bars)"
e2e_finish
