# A restarted shell announces itself with the broadcast "TaskbarCreated"; the program puts its icon
# back. Wine's tray never restarts, so the icon is taken away from outside first.
source "$(dirname "$0")/lib.sh"
dida_start
read -r before <<<"$(driver tray-icons)"
check "an icon in the tray after start" test "$before" -ge 1

# Announced while the icon is still there: it stays, and only once.
check "broadcast delivered" driver taskbar-created
sleep 0.3
read -r n <<<"$(driver tray-icons)"
check_eq "icons after a broadcast with the icon present" "$before" "$n"

check "icon taken out" driver tray-remove
sleep 0.3
read -r n <<<"$(driver tray-icons)"
check_eq "icons after the shell lost it" $((before - 1)) "$n"
check "broadcast delivered" driver taskbar-created
for _ in $(seq 20); do
    read -r n <<<"$(driver tray-icons)"
    [ "$n" = "$before" ] && break
    sleep 0.1
done
check_eq "icons after the broadcast" "$before" "$n"
shot icon_back

# The icon that came back is the program's own: it still answers a double-click.
for m in ldown lup dblclk lup; do driver tray $m; done
check "the icon still toggles the bar" driver wait-visible 0 3000
e2e_finish
