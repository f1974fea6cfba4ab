# The "关机" action at the end of a countdown: Wine ends the session of the prefix, the program with it.
# That would take the whole bench down, so this test runs in a copy of the prefix.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
shared_prefix=$WINEPREFIX
throwaway=$(bench_throwaway_prefix) || { fail "a copy of the prefix"; e2e_finish; }
e2e_on_finish 'WINEPREFIX=$shared_prefix; bench_drop_prefix "$throwaway"'
export WINEPREFIX=$throwaway

# No settings: the warning window 30 seconds before is off, the ring time is the default.
driver reg-delete HKCU 'Software\TORV' 2>/dev/null
dida_start
# 分1 and 秒1 lie on the framing label; a write raises the field's change handler.
check "minutes set" driver settext 108 10 0
check "seconds set" driver settext 144 10 5
check "关机 chosen" driver select 213 10 7
armed_at=$(date +%s%N)
check "armed: the bar shows the time left" wait_text_prefix 60 10 "剩余：" 3000
shot armed
if dida_wait_exit 1; then fail "the program ended before the countdown did"; fi
if dida_wait_exit 20; then
    pass "the program ended with the session"
    elapsed_ms=$((($(date +%s%N) - armed_at) / 1000000))
    check "it ended when the countdown did, not before (${elapsed_ms} ms)" test "$elapsed_ms" -ge 4500
else
    fail "the program ended with the session"
fi
# Every process of the copy is gone, so its wineserver ends too (a driver started now would be killed
# by the ending session).
check "the session of the copy is over" timeout 20 wineserver -w

WINEPREFIX=$shared_prefix
check "the shared prefix still runs" wine cmd.exe /c exit
e2e_finish
