# The typical reminder on the real bar: 倒计 0 / 0 / 5 and "布谷鸟". Choosing the chime previews it once and arms
# the countdown; the status label counts the seconds down, and at zero the chime loops and the status text
# flashes red and black until the speaker button ends the ring.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
sink_private
dida_start
chime=$(wav_samples sound2.wav)

check "倒计 chosen" driver select 20 10 0
check_eq "kind" "倒计" "$(driver text 20 10)"
# The fields lie on their framing label; a write raises the field's change handler.
check "hours set" driver settext 72 10 0
check "minutes set" driver settext 108 10 0
check "seconds set" driver settext 144 10 5
# The status label's every text, recorded from just before the choice of "布谷鸟" (which arms) to past the
# zero, while this script looks at the sound and the screen.
watch_start count 90 10 8000 213 10 1
# 标签2 takes the place of the fields; between 时1 and 分1 only a label is under the point.
check "armed: 剩余：0小时0分5秒" watch_until count "剩余：0小时0分5秒" 3000
check_eq "默认事件" 1 "$(driver reg-read HKCU 'Software\TORV' '默认事件')"
# The preview is over long before the ring, which starts a new stream in the sink.
check "the preview reaches the sink" sink_wait_size 0 3000
check "the preview ends" sink_wait_still 300 3000
read -r starts copies other <<<"$(sink_copies sound2.wav)"
check_eq "the preview: the chime's samples once" "1 1 0" "$starts $copies $other"
check "still counting" watch_until count "剩余：0小时0分3秒" 3000
check_eq "the status text is black while counting" 0 "$(status_red)"
shot counting
check "zero" watch_until count "剩余：0小时0分0秒" 5000

read -r red black <<<"$(status_flashes 12)"
check "the status text flashes: red in $red samples, black in $black" test "$red" -gt 0 -a "$black" -gt 0
shot ringing
check "the ring loops the chime: more than one chime in the sink" sink_wait_size $((chime * 3 / 2)) 3000
read -r starts copies other <<<"$(sink_copies sound2.wav)"
check "the ring starts with the chime and repeats it ($starts $copies)" test "$starts" = 1 -a "$copies" -ge 1
check "the sink keeps growing while it rings" sink_wait_size "$(sink_size)" 3000
watch_wait count
check_countdown count 5

# 超级按钮开始
check "the speaker button clicked" driver click 260 10
check "the sink stops growing" sink_wait_still 500 3000
stopped=$(sink_size)
sleep 1
check_eq "it stays stopped" "$stopped" "$(sink_size)"
check_eq "the fields are back" "     时    分    秒" "$(driver text 90 10)"
check_eq "the action list is cleared" "" "$(driver text 213 10)"
check_eq "the seconds field kept its value" 5 "$(driver text 144 10)"
check_eq "no red left on the bar's status spot" 0 "$(status_red)"
shot stopped
e2e_finish
