# The "关机" action at the end of a countdown: Wine ends the session of the prefix, the program with it.
# That would take the whole bench down, so this test runs in a copy of the prefix.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
shared_prefix=$WINEPREFIX
throwaway=$(bench_throwaway_prefix) || { fail "a copy of the prefix"; e2e_finish; }
e2e_on_finish 'WINEPREFIX=$shared_prefix; bench_drop_prefix "$throwaway"'
e2e_use_prefix "$throwaway"

# No settings: the warning window 30 seconds before is off, the ring time is the default.
dida_start
# 分1 and 秒1 lie on the framing label; a write raises the field's change handler.
check "minutes set" driver settext 108 10 0
check "seconds set" driver settext 144 10 5
# The label's texts from just before the choice of "关机" (which arms) on; the ending session ends the recorder too.
watch_start count 60 10 8000 213 10 7
check "armed: the bar shows the time left" watch_until count "剩余：0小时0分5秒" 3000
shot armed
if dida_wait_exit 1; then fail "the program ended before the countdown did"; fi
if dida_wait_exit 20; then
    pass "the program ended with the session"
    ended=$(now_ms)
    selected=$(watch_moment count "<selected>")
    check "it ended when the countdown did, not before ($((ended - selected)) ms after the choice)" \
        test -n "$selected" -a $((ended - selected)) -ge 4980
else
    fail "the program ended with the session"
fi
# Every process of the copy is gone, so its wineserver ends too (a driver started now would be killed
# by the ending session).
check "the session of the copy is over" timeout 20 wineserver -w

WINEPREFIX=$shared_prefix
check "the shared prefix still runs" wine cmd.exe /c exit
e2e_finish
