# The switches of the tray menu's 软件设置: choosing one writes its registry value, choosing it again deletes it,
# and a new start takes the stored switches back. The menu is opened by the tray callback the shell sends.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
sink_private
run_key='Software\Microsoft\Windows\CurrentVersion\Run'
driver reg-delete HKCU 'Software\TORV' 2>/dev/null
driver reg-delete HKLM "$run_key" TORV 2>/dev/null
e2e_on_finish 'driver reg-delete HKLM "$run_key" TORV 2>/dev/null'
program="\"$(winepath -w "$DIDA_EXE" 2>/dev/null)\""

# Position among the submenu's items (separators are not counted, greyed ones are), the value's hive, key and
# name, and what it holds when the switch is on.
switches=(
    "1 HKLM $run_key TORV $program"
    "2 HKCU Software\\TORV 气球提示 1"
    "3 HKCU Software\\TORV 长鸣 1"
    "6 HKCU Software\\TORV 软件静音 1"
    "7 HKCU Software\\TORV 全屏ESC 1"
    "8 HKCU Software\\TORV 三十秒提醒 1"
)

menu_gone() { ! driver menu-wait 0 2>/dev/null; }

# open_settings [KEY…] — the tray menu, its submenu 软件设置 (Enter opens it with the first item highlighted),
# then those keys. The keys go to the menu's loop, which serves the open submenu.
open_settings() {
    driver tray rup && driver menu-wait 3000 && driver menu-keys down down enter "$@"
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
    open_settings "${keys[@]}" enter || return 1
    for i in $(seq 20); do menu_gone && return 0; sleep 0.1; done
    return 1
}

# wait_value HIVE KEY NAME WANT — until the value holds WANT; an empty WANT waits until it is gone
wait_value() {
    local got i
    for i in $(seq 20); do
        got=$(driver reg-read "$1" "$2" "$3" 2>/dev/null) || got=
        [ "$got" = "$4" ] && return 0
        sleep 0.1
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
            driver menu-keys esc 2>/dev/null
            driver menu-keys esc 2>/dev/null
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
        if driver msgbox-wait 3000 >/dev/null; then
            check_eq "muted: the notice's caption" "重要提醒：" "$(driver msgbox-title)"
            check_eq "muted: the notice" "软件已设置静音运行，所设置的声音将被忽略！（软件设置里可取消静音运行）" \
                "$(driver msgbox-text)"
            driver msgbox-answer 1
        else
            fail "muted: a notice instead of the preview"
        fi
        sleep 0.3
        check_eq "muted: nothing played" "$before" "$(sink_size)"
    else
        if box=$(driver msgbox-wait 500); then
            fail "not muted, yet a box: $box / $(driver msgbox-text)"
            driver msgbox-answer 1
        else
            pass "not muted: no notice"
        fi
        check "not muted: the preview plays" sink_wait_size "$before" 3000
    fi
    # Back to nothing armed, so that the menu's switches are all that changes.
    check "停止 chosen" eval 'driver tray rup && driver menu-wait 3000 && driver menu-choose 4'
    check "disarmed" wait_text 213 10 "" 2000
}

dida_start
check_eq "no switch stored at first" "" "$(driver reg-read HKCU 'Software\TORV' '气球提示' 2>/dev/null)"

# The shell reports a right-click as button down, button up and a context-menu request (0x7B): one menu only.
# (The shell's tray window belongs to the prefix's desktop process, which may be on another bench's display,
# so the click is sent as the shell sends it rather than with the mouse.)
driver tray rdown && driver tray rup && driver tray 0x7B
if driver menu-wait 3000; then
    pass "a right-click on the icon opens the menu"
    sleep 0.3
    import -display "$DISPLAY" -window root "$DIDA_SCREENSHOTS/menu_open.png" 2>/dev/null &&
        echo "screenshot: $DIDA_SCREENSHOTS/menu_open.png"
    driver menu-keys esc
    check "Esc closes it" menu_gone
    sleep 0.5
    check "and no second menu follows" menu_gone
else
    fail "a right-click on the icon opens the menu"
fi

toggle_all 1
mute_check "on"
open_settings && sleep 0.2 && shot all_on
driver menu-keys esc
driver menu-keys esc

# A new start reads the switches back; choosing each one now turns it off.
dida_kill
dida_start
mute_check "on after a new start"
open_settings && sleep 0.2 && shot restarted
driver menu-keys esc
driver menu-keys esc
toggle_all 0
mute_check "off"
e2e_finish
