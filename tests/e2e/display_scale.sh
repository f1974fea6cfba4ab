# The program at a display scale: LogPixels DIDA_DPI (96 in the shared prefix, any other in a copy of it at
# that scale). The bar docked at its scaled place and size, the stopwatch window and the input box at theirs,
# and screenshots of all three to look at; with DIDA_ROAD=1 also the countdown road on the scaled bar.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
e2e_dpi=${DIDA_DPI:-144}
e2e_name=display_scale_$e2e_dpi
if [ "$e2e_dpi" != 96 ]; then
    shared_prefix=$WINEPREFIX
    scaled_prefix=$(bench_scaled_prefix "$e2e_dpi") || { fail "a prefix at $e2e_dpi DPI"; e2e_finish; }
    e2e_on_finish 'WINEPREFIX=$shared_prefix; bench_drop_prefix "$scaled_prefix"'
    e2e_use_prefix "$scaled_prefix"
fi
sink_private
dida_start
shot bar

screen=$(xdpyinfo -display "$DISPLAY" | awk '/dimensions:/ { split($2, d, "x"); print d[1] }')
read -r left top w h <<<"$(driver rect)"
echo "the bar at $e2e_dpi DPI: left $left top $top, ${w} x ${h}"
check_eq "bar width" "$(px 316)" "$w"
check_eq "bar height" "$(px 22)" "$h"
check_eq "bar top edge" 0 "$top"
check_eq "bar's right edge from the screen's" "$(px 140)" "$((screen - left - w))"
geometry=$(xdotool search --onlyvisible --name '^嘀嗒闹钟$' getwindowgeometry --shell 2>/dev/null | tr '\n' ' ')
check_eq "X window geometry" "X=$left Y=0 WIDTH=$w HEIGHT=$h" "$(echo "$geometry" |
    grep -o 'X=[0-9-]* Y=[0-9-]* WIDTH=[0-9]* HEIGHT=[0-9]*')"
check_eq "kind" "倒计" "$(driver text "$(px 20)" "$(px 10)")"
check_eq "the fields' frame" "     时    分    秒" "$(driver text "$(px 90)" "$(px 10)")"

if [ "${DIDA_ROAD:-0}" = 1 ]; then
    chime=$(wav_samples sound2.wav)
    check "倒计 chosen" driver select "$(px 20)" "$(px 10)" 0
    check "hours set" driver settext "$(px 72)" "$(px 10)" 0
    check "minutes set" driver settext "$(px 108)" "$(px 10)" 0
    check "seconds set" driver settext "$(px 144)" "$(px 10)" 3
    # The label's texts from just before the choice that arms to past the zero, recorded by the driver.
    watch_start count "$(px 90)" "$(px 10)" 6000 "$(px 213)" "$(px 10)" 1
    check "zero" watch_until count "剩余：0小时0分0秒" 6000
    read -r red black <<<"$(status_flashes 12)"
    check "the status text flashes: red in $red samples, black in $black" test "$red" -gt 0 -a "$black" -gt 0
    shot ringing
    check "the ring loops the chime" sink_wait_size $((chime * 3 / 2)) 3000
    watch_wait count
    check_countdown count 3
    check "the speaker button clicked" driver click "$(px 260)" "$(px 10)"
    check "the sink stops growing" sink_wait_still 500 3000
    check_eq "the fields are back" "     时    分    秒" "$(driver text "$(px 90)" "$(px 10)")"
    check_eq "the action list is cleared" "" "$(driver text "$(px 213)" "$(px 10)")"
fi

# The input box of 设置闹铃时长 (软件设置, fourth item), left open for the screenshot, then cancelled.
check "the tray menu opens" driver tray rup
check "the menu is up" driver menu-wait 3000
check "软件设置 opened" driver menu-keys down down enter
check "its submenu is up" driver menu-wait 3000 2
check "设置闹铃时长 chosen" driver menu-keys down down down enter
if driver msgbox-wait 5000 >/dev/null; then
    pass "the input box is up"
    check_eq "its caption" "输入时间：" "$(driver msgbox-title)"
    shot input_box
    check "the input box is cancelled" driver msgbox-answer 2
    check "the input box is gone" driver msgbox-gone 3000
else
    fail "the input box is up"
fi
check "the menu is gone" driver menu-gone 3000

# The stopwatch (辅助功能, 计时秒表): its window at its scaled size, waiting, then running.
check "the tray menu opens again" driver tray rup
check "the menu is up again" driver menu-wait 3000
check "计时秒表 chosen" driver menu-keys down down down enter enter
if driver -w 秒表窗口 wait-bar 5000; then
    pass "the stopwatch is up"
    read -r _ _ ww wh <<<"$(driver -w 秒表窗口 rect)"
    check_eq "the stopwatch's outer size" "$(px 410) $(px 308)" "$ww $wh"
    shot stopwatch 秒表窗口
    # Enter presses its default button 开始 (按钮1): the count runs and the button says 停止.
    x_focus 嘀嗒秒表 && xdotool key Return
    check "Enter starts it: the button says 停止" wait_text_in 秒表窗口 "$(px 318)" "$(px 228)" "停止" 3000
    check "the count reaches 1" wait_text_in 秒表窗口 "$(px 125)" "$(px 80)" "1" 3000
    shot stopwatch_running 秒表窗口
else
    fail "the stopwatch is up"
fi
e2e_finish
