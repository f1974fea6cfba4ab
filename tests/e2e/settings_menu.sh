# The switches of the tray menu's 软件设置: choosing one writes its registry value, choosing it again deletes it,
# and a new start takes the stored switches back. The menu is opened by the tray callback the shell sends.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
sink_private

program="\"$(winepath -w "$DIDA_EXE" 2>/dev/null)\""

# Position among the submenu's items (separators are not counted, greyed ones are), the value's hive, key and
# name, and what it holds when the switch is on.
switches=(
    "1 HKLM $e2e_run_key TORV $program"
    "2 HKCU Software\\TORV 气球提示 1"
    "3 HKCU Software\\TORV 长鸣 1"
    "6 HKCU Software\\TORV 软件静音 1"
    "7 HKCU Software\\TORV 全屏ESC 1"
    "8 HKCU Software\\TORV 三十秒提醒 1"
)

# open_settings [KEY…] — the tray menu, its submenu 软件设置 (Enter opens it with the first item highlighted),
# then those keys. The keys go to the menu's loop, which serves the open submenu.
open_settings() {
    driver tray rup && driver menu-wait 3000 && driver menu-keys down down enter && driver menu-wait 3000 2 &&
        driver menu-keys "$@"
}

# close_menus — Esc until no menu is up
close_menus() {
    local i
    for i in 1 2 3; do
        driver menu-gone 0 2>/dev/null && return 0
        driver menu-keys esc 2>/dev/null
        driver menu-gone 2000 2>/dev/null && return 0
    done
    driver menu-gone 0
}

# choose_switch POSITION — chooses that item of 软件设置; the lower half is nearer going up, round the end of
# its eight items
choose_switch() {
    local keys=() i
    if (($1 <= 4)); then
        for ((i = 1; i < $1; i++)); do keys+=(down); done
    else
        for ((i = $1; i <= 8; i++)); do keys+=(up); done
    fi
    open_settings "${keys[@]}" enter && driver menu-gone 3000
}

# wait_value HIVE KEY NAME WANT — until the value holds WANT; an empty WANT waits until it is gone
wait_value() {
    local got end=$(($(now_ms) + 3000))
    while :; do
        got=$(driver reg-read "$1" "$2" "$3" 2>/dev/null) || got=
        [ "$got" = "$4" ] && return 0
        (($(now_ms) < end)) || break
        sleep 0.05
    done
    echo "$got"
    return 1
}

# toggle_all WANT_ON — chooses every switch once; WANT_ON 1 expects each value written, 0 each one deleted
toggle_all() {
    local row pos hive key name value want got
    for row in "${switches[@]}"; do
        read -r pos hive key name value <<<"$row"
        want=$value
        [ "$1" = 1 ] || want=
        if ! choose_switch "$pos"; then
            fail "$name: the menu did not take the choice"
            close_menus
            continue
        fi
        if got=$(wait_value "$hive" "$key" "$name" "$want"); then
            got=$want
            pass "$name: ${got:-deleted}"
        else
            fail "$name: expected [${want:-no value}], got [$got]"
        fi
    done
}

# mute_check on|off… — choosing "布谷鸟" tells whether the program is muted: a notice and silence, or the preview
mute_check() {
    local before
    before=$(sink_size)
    check "布谷鸟 chosen (mute ${1})" driver select 213 10 1
    if [ "${1%% *}" = on ]; then
        if driver msgbox-wait 5000 >/dev/null; then
            check_eq "muted: the notice's caption" "重要提醒：" "$(driver msgbox-title)"
            check_eq "muted: the notice" "软件已设置静音运行，所设置的声音将被忽略！（软件设置里可取消静音运行）" \
                "$(driver msgbox-text)"
            driver msgbox-answer 1
            check "muted: the notice closes" driver msgbox-gone 5000
        else
            fail "muted: a notice instead of the preview"
        fi
        # The choice arms after the notice: with the remaining time shown, the handler is done.
        check "muted: armed all the same" wait_text_prefix 90 10 "剩余：" 5000
        sink_wait_still 300 3000 >/dev/null
        check_eq "muted: nothing played" "$before" "$(sink_size)"
    else
        check "not muted: the preview plays" sink_wait_size "$before" 5000
        check "not muted: armed" wait_text_prefix 90 10 "剩余：" 5000
        # A notice would have come before the preview and the arming: none now is none at all.
        if box=$(driver msgbox-wait 0); then
            fail "not muted, yet a box: $box / $(driver msgbox-text)"
            driver msgbox-answer 1
        else
            pass "not muted: no notice"
        fi
    fi
    # Back to nothing armed, so that the menu's switches are all that changes.
    check "停止 chosen" eval 'driver tray rup && driver menu-wait 3000 && driver menu-choose 4'
    check "disarmed" wait_text 213 10 "" 5000
}

dida_start
check_eq "no switch stored at first" "" "$(driver reg-read HKCU 'Software\TORV' '气球提示' 2>/dev/null)"

# The shell reports a right-click as button down, button up and a context-menu request (0x7B): one menu only.
# (The shell's tray window belongs to the prefix's desktop process, which may be on another bench's display,
# so the click is sent as the shell sends it rather than with the mouse.)
driver tray rdown && driver tray rup && driver tray 0x7B
if driver menu-wait 3000; then
    pass "a right-click on the icon opens the menu"
    import -display "$DISPLAY" -window root "$DIDA_SCREENSHOTS/menu_open.png" 2>/dev/null &&
        echo "screenshot: $DIDA_SCREENSHOTS/menu_open.png"
    driver menu-keys esc
    check "Esc closes it" driver menu-gone 3000
    # The context-menu request was queued behind the right-click: had it opened a menu, one would be up by now.
    check "and no second menu follows" eval '! driver menu-wait 500 2>/dev/null'
else
    fail "a right-click on the icon opens the menu"
fi

toggle_all 1
mute_check "on"
open_settings && shot all_on
check "the menu closes" close_menus

# A new start reads the switches back; choosing each one now turns it off.
dida_kill
dida_start
mute_check "on after a new start"
open_settings && shot restarted
check "the menu closes" close_menus
toggle_all 0
mute_check "off"
e2e_finish
