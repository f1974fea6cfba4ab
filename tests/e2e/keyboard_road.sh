# The road of a user without a mouse, listened to as a screen reader listens: Enter on the tray icon brings
# the hidden bar back with the keyboard on the kind list, Tab walks to the fields and the time is typed, the
# arrow keys pick a chime in the action list, the countdown starts and the reminder fires; the status label
# tells each start of the count and the moment, and not the seconds between. Space on the speaker ends the
# ring. Under Wine a reader gets the label's shown text as its name (the annotated name of the moment is
# Windows'); the events are the system's own.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
sink_private
driver reg-delete HKCU 'Software\TORV' 2>/dev/null
dida_start

# Hidden to the tray, where the keyboard finds it.
driver click 284 10
check "hidden to the tray" driver wait-visible 0 3000

live=$DIDA_SCREENSHOTS/${e2e_name}_live.txt
# Long enough for the whole road up to the ring, on a loaded machine too; the record is read once it ends.
driver live 15000 >"$live" &
listener=$!
e2e_on_finish "kill $listener 2>/dev/null"
for _ in $(seq 50); do grep -q '<listening>' "$live" 2>/dev/null && break; sleep 0.1; done

check "Enter on the tray icon" driver tray keyselect
check "the bar is back" driver wait-visible 1 3000
# The first tab stop is the kind list, with 倒计, the kind of a first start; the keys typed from now on are the
# user's, reaching whatever window the system gave the keyboard.
check_until "the keyboard is on the kind list" "1 1 47 25 ComboBox" 3000 driver focus
check_eq "its kind" "倒计" "$(driver text 20 10)"
shot focused

# Tab selects a field's whole text, so typing replaces it.
xdotool key Tab 0 Tab 0 Tab 3
check_until "the seconds typed" 3 3000 driver text 144 10
check_eq "the minutes typed" 0 "$(driver text 108 10)"
xdotool key Tab
check_until "Tab to the action list" "184 1 59 23 ComboBox" 3000 driver focus
# Nothing is chosen after the fields changed: the first Down picks 嘀嗒叫, the second 布谷鸟.
xdotool key Down Down
armed=$(now_ms)
if wait_text 90 10 "剩余：0小时0分3秒" 1500; then pass "armed: 剩余：0小时0分3秒"; else
    fail "armed: the label shows [$(driver text 90 10)]"
fi
check_eq "the chime picked" "布谷鸟" "$(driver text 213 10)"
if wait_text 90 10 "剩余：0小时0分0秒" 6000; then pass "fired after $(($(now_ms) - armed)) ms"; else
    fail "fired: the label shows [$(driver text 90 10)]"
fi
check "the ring sounds" sink_wait_size 20000 4000
shot ringing

# Told once for each start of the count (嘀嗒叫, then 布谷鸟), once at the moment, never for a second between.
wait "$listener"
mapfile -t told < <(grep -v '<listening>' "$live" | cut -d' ' -f2-)
check_eq "live-region events" 3 "${#told[@]}"
check_eq "the first start" "Static 52 剩余：0小时0分3秒" "${told[0]:-}"
check_eq "the second start" "Static 52 剩余：0小时0分3秒" "${told[1]:-}"
check_eq "the moment, from the status label" "Static 52 剩余：0小时0分0秒" "${told[2]:-}"

# Tab to the speaker (the next stop after the list), Space: the ring ends and the fields come back.
xdotool key Tab space
if wait_text 90 10 "     时    分    秒" 3000; then pass "the fields are back"; else
    fail "the fields are back: the label shows [$(driver text 90 10)]"
fi
check "the ring is quiet" sink_wait_still 500 4000
e2e_finish
