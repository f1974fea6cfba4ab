# After a balloon has been shown (the icon's notification behaviour is set for balloons then), a real
# double-click on the tray icon still hides and shows the bar, and a real right-click still opens the menu.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
sink_private
driver reg-write HKCU 'Software\TORV' 气球提示 1
dida_start

# 倒计 0 / 0 / 1 with 嘀嗒叫: it fires after a second, and the balloon option shows the balloon.
check "倒计 chosen" driver select 20 10 0
check "seconds set" eval 'driver settext 72 10 0 && driver settext 108 10 0 && driver settext 144 10 1'
check "嘀嗒叫 chosen" driver select 213 10 0
check "the balloon shows" driver tooltip-wait "注意，到时间了！！！" 10000
shot balloon
check "the ring stopped at the speaker button" driver click 260 10
check "the fields are back" wait_text 90 10 "     时    分    秒" 3000

read -r n <<<"$(driver tray-icons)"
check "an icon in the system tray" test "$n" -ge 1
read -r ix iy iw ih <<<"$(driver tray-icons | sed -n 2p)"
x=$((ix + iw / 2)) y=$((iy + ih / 2))
xdotool mousemove --sync $x $y click --repeat 2 --delay 60 1
check "a double-click on the icon hides the bar" driver wait-visible 0 3000
# The pointer stays on the icon (a move to where it already is would wait for a motion that never comes).
xdotool click --repeat 2 --delay 60 1
check "another shows it again" driver wait-visible 1 3000
xdotool mousedown 3 sleep 0.3 mouseup 3
if driver menu-wait 3000; then
    pass "a right-click on the icon opens the menu"
    shot menu
    driver menu-keys esc
    check "Esc closes it" driver menu-gone 3000
else
    fail "a right-click on the icon opens the menu"
fi
e2e_finish
