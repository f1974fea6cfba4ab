# The program's own windows at a reminder's end, and the end of the session. "全屏": the rest screen covers
# the screen, holds the bar while it is up, counts down once a second and closes with Esc. "关机" with
# 三十秒提醒: the warning opens 30 seconds before, counts, lets 取消关机 be pressed from 27 on, and the cancel
# disarms, so no shutdown comes. Then, armed (where the close button would ask), the end of the session is
# agreed to at once without a question, and the session's end ends the program. A shutdown, should one come,
# or the end of the session would take the whole bench down, so this test runs in a copy of the prefix.
source "$(dirname "$0")/lib.sh"
shared_prefix=$WINEPREFIX
throwaway=$(bench_throwaway_prefix) || { fail "a copy of the prefix"; e2e_finish; }
e2e_on_finish 'WINEPREFIX=$shared_prefix; bench_drop_prefix "$throwaway"'
e2e_use_prefix "$throwaway"
check "三十秒提醒 stored" driver reg-write HKCU 'Software\TORV' 三十秒提醒 1
dida_start
fields="     时    分    秒"

# ---- the rest screen
# Its text, with the seconds left in it; rest_count prints only the seconds.
rest_text() {
    printf '\r\n\r\n\r\n\r\n\r\n\r\n嘀嗒温馨提醒：\r\n\r\n为了您的健康，请起身休息5分钟！\r\n%s 秒后自动取消黑屏\r\n\r\n（ESC取消，可设置屏蔽ESC键）' "$1"
}
rest_count() { driver -w 全屏窗口 text 100 100 | grep -o '[0-9]* 秒后自动取消黑屏' | cut -d' ' -f1; }

check "minutes set" driver settext 108 10 0
check "seconds set" driver settext 144 10 2
# The rest counter (the hidden label 标签全屏时间, below the bar's strip) from just before the choice of "全屏".
watch_start rest 270 55 9000 213 10 5
check "the rest screen opens" driver -w 全屏窗口 wait-bar 8000
check_eq "it covers the screen" "0 0 $(xdpyinfo -display "$DISPLAY" | awk '/dimensions:/ { sub(/x/, " ", $2); print $2 }')" \
    "$(driver -w 全屏窗口 rect)"
check_eq "the bar takes no input while it is up" 0 "$(driver window-enabled)"
check_until "its text counts down to 297" 297 6000 rest_count
# One reading, with whatever second it shows by now.
text=$(driver -w 全屏窗口 text 100 100)
shows=$(grep -o '[0-9]* 秒后自动取消黑屏' <<<"$text" | cut -d' ' -f1)
check_eq "its text" "$(rest_text "$shows")" "$text"
shot rest_screen 全屏窗口
xdotool key Escape
check "Esc closes it" driver -w 全屏窗口 wait-gone 3000
closed=$(now_ms)
check_eq "the bar takes input again" 1 "$(driver window-enabled)"
check_eq "the action list is cleared" "" "$(driver text 213 10)"
check_eq "the fields are back" "$fields" "$(driver text 90 10)"
left=$(driver text 270 55)
watch_wait rest
# Each second falls once, none once the screen is closed, and a countdown's rest counter keeps the value it
# had.
check_eq "the rest counter from the choice, and the screen's first showing" "300|<rest-screen>|299|298|297|" \
    "$(watch_texts rest | sed '/^297$/q' | tr '\n' '|')"
# The moments are those the record saw each text at, late by as long as the program took to answer; a timer
# never comes early, so each is a lower bound from the choice: the zero 2 s after it, the rest driver's first
# tick a second later opens the screen, and the ticks inside the screen's own loop count, one a second.
selected=$(watch_moment rest "<selected>")
if [ -n "$selected" ]; then
    for row in "<rest-screen> 3" "299 4" "298 5" "297 6"; do
        read -r what k <<<"$row"
        at=$(watch_moment rest "$what")
        d=$((${at:-0} - selected))
        check "$what $d ms after the choice (from $k s to $k s + 2 s)" \
            test -n "$at" -a "$d" -ge $((k * 1000 - 20)) -a "$d" -le $((k * 1000 + 2000))
    done
fi
check_eq "the counter stays where Esc left it" "$(watch_texts rest | tail -1)" "$left"
check "it changed no more after the close" test "$(tail -1 "$DIDA_SCREENSHOTS/${e2e_name}_rest.watch" |
    cut -d' ' -f1 | cut -d. -f1)" -le "$closed"

# ---- the 30-second warning
check "seconds set to 31" driver settext 144 10 31
# The bar's label from just before the choice of "关机", and the warning's counter 标签2, over the blank of
# "离关机还有     秒！"; its button 取消关机 below.
watch_start status 90 10 6000 213 10 7
check "armed" watch_until status "剩余：0小时0分31秒" 3000
watch_start warning -w 三十秒提醒窗口 124 44 6000
check "the warning opens" driver -w 三十秒提醒窗口 wait-bar 5000
check_eq "the bar stays usable" 1 "$(driver window-enabled)"
check_eq "取消关机 cannot be pressed yet" 0 "$(driver -w 三十秒提醒窗口 enabled 191 84)"
check "the warning counts to 27" watch_until warning 27 6000
check_until "取消关机 can be pressed at 27" 1 2000 driver -w 三十秒提醒窗口 enabled 191 84
shot warning 三十秒提醒窗口
check "取消关机 pressed" driver -w 三十秒提醒窗口 click 191 84
check "the warning closes" driver -w 三十秒提醒窗口 wait-gone 3000
check_eq "the action list is cleared" "" "$(driver text 213 10)"
check_eq "the fields are back" "$fields" "$(driver text 90 10)"
watch_wait warning
watch_wait status
check_eq "the warning's counter" "|30|29|28|27|" "$(watch_texts warning | sed '/^27$/q' | tr '\n' '|')"
# From the choice, as above: the countdown's first tick leaves 30 seconds and opens the warning, whose timer
# starts with it and counts once a second.
chosen=$(watch_moment status "<selected>")
if [ -n "$chosen" ]; then
    for s in 29 28 27; do
        k=$((31 - s))
        at=$(watch_moment warning $s)
        d=$((${at:-0} - chosen))
        check "$s $d ms after the choice (from $k s to $k s + 2 s)" \
            test -n "$at" -a "$d" -ge $((k * 1000 - 20)) -a "$d" -le $((k * 1000 + 2000))
    done
fi
# The shutdown would have come 31 s after the choice; the program is still there 2 s after that.
wait_s=$(((${chosen:-0} + 33000 - $(now_ms)) / 1000 + 1))
if dida_wait_exit "$wait_s"; then fail "the program ended: a shutdown came after the cancel"; else
    pass "no shutdown $(($(now_ms) - ${chosen:-0})) ms after the choice"
fi

# ---- the end of the session, armed
check "minutes set to 5" driver settext 108 10 5
check "seconds set to 0" driver settext 144 10 0
check "全屏 chosen" driver select 213 10 5
check "armed" wait_text_prefix 90 10 "剩余：0小时4分" 3000
answers=$(driver end-session)
check "every window agreed to the end of the session" test $? = 0
echo "$answers"
check_eq "the bar among them" 1 "$(grep -c "^Dida\.主窗口 1$" <<<"$answers")"
check_eq "answers that were not yes" 0 "$(awk '$NF != 1' <<<"$answers" | grep -c .)"
if box=$(driver msgbox-wait 500); then
    fail "a question came up: $box / $(driver msgbox-text)"
else
    pass "no close question"
fi
# The session's end as Wine makes it: the question to every window, then every process of the prefix ends.
check "the session ends" wineboot --end-session
check "the program ended with it" dida_wait_exit 20
check "the session of the copy is over" timeout 20 wineserver -w

WINEPREFIX=$shared_prefix
check "the shared prefix still runs" wine cmd.exe /c exit
e2e_finish
