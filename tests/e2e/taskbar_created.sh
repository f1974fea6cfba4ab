# A restarted shell announces itself with the broadcast "TaskbarCreated"; the program puts its icon
# back. Wine's tray never restarts, so the icon is taken away from outside first.
source "$(dirname "$0")/lib.sh"

# wait_icons N — until the system tray shows N icons (3 s); prints the count it saw last
wait_icons() {
    local n i
    for i in $(seq 30); do
        read -r n <<<"$(driver tray-icons)"
        [ "$n" = "$1" ] && break
        sleep 0.1
    done
    echo "$n"
}

dida_start
read -r before <<<"$(driver tray-icons)"
check "an icon in the tray after start" test "$before" -ge 1

# Announced while the icon is still there: it stays, and only once.
# The broadcast is sent and answered: the program has re-added (or left) its icon when it returns.
check "broadcast delivered" driver taskbar-created
read -r n <<<"$(driver tray-icons)"
check_eq "icons after a broadcast with the icon present" "$before" "$n"

check "icon taken out" driver tray-remove
check_eq "icons after the shell lost it" $((before - 1)) "$(wait_icons $((before - 1)))"
check "broadcast delivered" driver taskbar-created
check_eq "icons after the broadcast" "$before" "$(wait_icons "$before")"
shot icon_back

# The icon that came back is the program's own: it still answers a double-click.
for m in ldown lup dblclk lup; do driver tray $m; done
check "the icon still toggles the bar" driver wait-visible 0 3000
e2e_finish
