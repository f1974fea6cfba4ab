# Double-clicking the tray icon hides the bar, double-clicking again shows it: once with the callback
# messages the shell sends for a double-click, once with a real double-click on the icon.
source "$(dirname "$0")/lib.sh"
dida_start
check_eq "visible after start" 1 "$(driver visible)"

# The shell reports a double-click as down, up, double-click, up.
for m in ldown lup dblclk lup; do driver tray $m; done
check "hidden after the first double-click" driver wait-visible 0 3000
shot hidden

read -r n <<<"$(driver tray-icons)"
check "an icon in the system tray" test "$n" -ge 1
read -r ix iy iw ih <<<"$(driver tray-icons | sed -n 2p)"
xdotool mousemove --sync $((ix + iw / 2)) $((iy + ih / 2)) click --repeat 2 --delay 60 1
check "shown again after a real double-click on the icon" driver wait-visible 1 3000
sleep 0.3
check_eq "still shown a moment later" 1 "$(driver visible)"
shot shown
e2e_finish
