# Choosing "嘀嗒叫" plays the chime once as a preview: exactly its samples reach the sound sink, then nothing more.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
sink_private
dida_start
sink_wait_still 300 3000 >/dev/null
check_eq "nothing played at start" 0 "$(sink_size)"

check "嘀嗒叫 chosen" driver select 213 10 0
check "the preview reaches the sink" sink_wait_size 0 3000
check "the preview ends" sink_wait_still 500 5000
read -r starts copies other <<<"$(sink_copies sound1.wav)"
check_eq "the sink begins with the chime's samples" 1 "$starts"
check_eq "whole copies of the chime in the sink" 1 "$copies"
check_eq "bytes besides the chime that are not silence" 0 "$other"
played=$(sink_size)
sleep 1.5
check_eq "no loop: the sink stays as it was" "$played" "$(sink_size)"
check_eq "默认事件" 0 "$(driver reg-read HKCU 'Software\TORV' '默认事件')"
# The choice armed the countdown of the fields the bar starts with (0 / 30 / 0): the preview is not its ring.
left=$(driver text 90 10)
check "armed with the bar's first fields, half an hour ($left)" test "${left#剩余：0小时29分}" != "$left" -o "$left" = "剩余：0小时30分0秒"
shot previewed
e2e_finish
