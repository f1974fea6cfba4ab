# Started muted, the speaker button is disabled for the system too (a screen reader announces it so), and the
# pointer over it still shows the orange picture and the tooltip "已设置为静音"; moving away takes both back.
source "$(dirname "$0")/lib.sh"
driver reg-write HKCU 'Software\TORV' 软件静音 1
dida_start

check_eq "the speaker button is disabled" 0 "$(driver enabled 260 10)"
check_eq "the close button is not" 1 "$(driver enabled 300 10)"

# orange_pixels — how many pixels of the speaker button on the screen are the orange of its hover picture
orange_pixels() {
    local bx by
    read -r bx by _ _ <<<"$(driver rect)"
    import -display "$DISPLAY" -window root -crop 20x20+$((bx + 251))+$((by + 1)) -depth 8 txt:- 2>/dev/null |
        awk -F'[(),]' 'NR > 1 && $3 >= 200 && $4 >= 90 && $4 <= 170 && $5 <= 80 { n++ } END { print n + 0 }'
}

# wait_orange MORE|NONE TIMEOUT_MS — until the button shows orange pixels, or none
wait_orange() {
    local end=$(($(date +%s%N) / 1000000 + $2)) n
    while :; do
        n=$(orange_pixels)
        if [ "$1" = more ] && ((n >= 10)); then return 0; fi
        if [ "$1" = none ] && ((n == 0)); then return 0; fi
        (($(date +%s%N) / 1000000 < end)) || { echo "$n orange pixels" >&2; return 1; }
        sleep 0.1
    done
}

read -r bx by _ _ <<<"$(driver rect)"
xdotool mousemove --sync $((bx + 200)) $((by + 60))
check "away from it: the black picture" wait_orange none 3000
xdotool mousemove --sync $((bx + 261)) $((by + 11))
check "the pointer over it: the orange picture" wait_orange more 3000
check "the pointer over it: the tooltip 已设置为静音" driver tooltip-wait "已设置为静音" 5000
shot hover
xdotool mousemove --sync $((bx + 200)) $((by + 60))
check "away again: the black picture" wait_orange none 3000
check "away again: no tooltip" driver tooltip-gone "已设置为静音" 5000
e2e_finish
