# The keyboard on the real windows, and the stopwatch's pictures: Tab walks the bar's eight tab stops and
# comes round again; the stopwatch's idle and running animations show their frames at their own delays, and
# Enter, its default button, starts and stops it; Esc closes the stopwatch; Esc while a list is dropped down
# closes only the list, and the next Esc closes the bar, which ends the program.
source "$(dirname "$0")/lib.sh"
dida_start
check "the bar has the keyboard" x_focus 嘀嗒闹钟

# The tab stops from left to right, as the driver names them (client rectangle and class); a list's
# rectangle counts its edit part.
stops=("1 1 47 25 ComboBox" "62 2 20 18 Edit" "98 2 20 18 Edit" "134 2 20 18 Edit" "184 1 59 23 ComboBox"
    "251 1 20 20 Button" "274 2 20 20 Button" "292 2 20 20 Button")
check_until "the focus starts on 组合框类型" "${stops[0]}" 3000 driver focus
for ((i = 1; i <= ${#stops[@]}; i++)); do
    xdotool key Tab
    check_until "Tab $i" "${stops[i % ${#stops[@]}]}" 3000 driver focus
done
xdotool key shift+Tab
check_until "Shift+Tab goes back to the last stop" "${stops[7]}" 3000 driver focus

# check_animation NAME FRAMES DELAY_MS — the record of driver frames NAME shows that many pictures over and
# over in one order, and a loop takes FRAMES × DELAY_MS at least (a timer never comes early; the record's
# look each 2 ms may see a change up to a few ms late) and at most half as long again (a loaded machine).
# The record's first line is what the screen showed when it began, perhaps part-way through a frame.
check_animation() {
    local name=$1 n=$2 delay=$3 pictures order loop
    read -r pictures order loop <<<"$(awk -v n="$n" '
        NR > 1 { k++; t[k] = $1; h[k] = $2 }
        END {
            p = 0
            for (i = 2; i <= k && !p; i++) if (h[i] == h[1]) p = i - 1
            ok = p > 0 && k >= 2 * p + 1
            for (i = 1; ok && i + p <= k; i++) if (h[i] != h[i + p]) ok = 0
            for (i = 1; ok && i <= p; i++) for (j = i + 1; j <= p; j++) if (h[i] == h[j]) ok = 0
            loops = p ? int((k - 1) / p) : 0
            printf "%d %d %d\n", p, ok, loops ? (t[1 + loops * p] - t[1]) / loops : 0
        }' "$DIDA_SCREENSHOTS/${e2e_name}_$name.frames")"
    check_eq "$name: pictures in a loop" "$n" "$pictures"
    check_eq "$name: the same pictures in the same order, loop after loop" 1 "$order"
    check "$name: a loop takes $loop ms (from $((n * delay)) ms to $((n * delay * 3 / 2)) ms)" \
        test "$loop" -ge $((n * delay - 15)) -a "$loop" -le $((n * delay * 3 / 2))
}

# The stopwatch (辅助功能, 计时秒表), its picture box 图片框1 at 248, 15, 130 × 130.
check "the tray menu opens" driver tray rup
check "the menu is up" driver menu-wait 3000
check "计时秒表 chosen" driver menu-keys down down down enter enter
check "the stopwatch is up" driver -w 秒表窗口 wait-bar 5000
check "the stopwatch has painted" driver -w 秒表窗口 wait-painted 5000
driver -w 秒表窗口 -e 2 frames 248 15 130 130 2500 >"$DIDA_SCREENSHOTS/${e2e_name}_idle.frames"
check_animation idle 24 40
check "the stopwatch has the keyboard" x_focus 嘀嗒秒表
check_until "its button has the focus" "250 194 136 68 Button" 3000 driver -w 秒表窗口 focus
xdotool key Return
check "Enter starts it: the button says 停止" wait_text_in 秒表窗口 318 228 "停止" 3000
check "the running animation has painted" driver -w 秒表窗口 wait-painted 3000
driver -w 秒表窗口 -e 2 frames 248 15 130 130 1500 >"$DIDA_SCREENSHOTS/${e2e_name}_running.frames"
check_animation running 5 60
shot stopwatch_running 秒表窗口
xdotool key Return
check "Enter stops it: the button says 开始" wait_text_in 秒表窗口 318 228 "开始" 3000
xdotool key Escape
check "Esc closes the stopwatch" driver -w 秒表窗口 wait-gone 3000
check_eq "the bar stays" 1 "$(driver visible)"

# A real click drops the action list down; Esc takes back only the list.
check "the bar has the keyboard again" x_focus 嘀嗒闹钟
read -r bx by _ _ <<<"$(driver rect)"
xdotool mousemove --sync $((bx + 236)) $((by + 10)) click 1
check_until "a click drops 组合框声音 down" 1 3000 driver dropped 213 10
shot dropped
xdotool key Escape
check_until "Esc closes the list" 0 3000 driver dropped 213 10
check_eq "and not the bar" 1 "$(driver visible)"
check_eq "nothing was chosen" "" "$(driver text 213 10)"
xdotool key Escape
check "the next Esc closes the bar" driver wait-gone 3000
if dida_wait_exit 10; then check_eq "the program ended with exit code" 0 "$dida_exit"; else fail "the program ended"; fi
e2e_finish
