# "音乐…" with no music stored opens the real file dialog; a file typed into it and confirmed with Enter is
# stored as MP3路径 and arms the countdown, and at its end that file rings, repeating, in place of any chime.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
: "${DIDA_MP3:?run through ctest}"
sink_private
# The sink's helpers look at the music's format from here on; the chimes' file is kept aside.
chime_sink=$sink_file
sink_file=$DIDA_ALSA_SINK_DIR/alsa_44100_2_S16_LE.raw
media_dir=$BENCH_DIR/music.$e2e_name.$$
rm -rf "$media_dir"
mkdir -p "$media_dir"
e2e_on_finish "rm -rf '$media_dir'"
# A name with a space and Chinese characters, in a folder the dialog does not start in.
cp "$DIDA_MP3" "$media_dir/闹铃 音乐.mp3" || { fail "the tone $DIDA_MP3 (sox and lame make it)"; e2e_finish; }
path="Z:${media_dir//\//\\}\\闹铃 音乐.mp3"
# One pass of the tone as the decoder gives it: 0.5 s of 44.1 kHz 16-bit stereo.
pass_bytes=$((44100 * 4 / 2))

dida_start
check "minutes set" driver settext 108 10 0
check "seconds set" driver settext 144 10 3
check "音乐… chosen" driver select 213 10 3
if caption=$(driver msgbox-wait 5000); then
    check_eq "the file dialog is up" "打开" "$caption"
    # The folder typed on the keyboard into the name field once that has the keyboard; the file's Chinese
    # name as an input method hands it over (xdotool would type it by remapping a spare key for each
    # character, and under load the program reads some of those keys after the next remapping). Enter
    # confirms once the field shows all of it.
    x_focus 打开
    check_until "the file name field has the keyboard, empty" "Edit " 5000 driver msgbox-focus
    folder="${path%\\*}\\"
    xdotool type --delay 20 "$folder"
    check_until "the field shows the folder typed" "Edit $folder" 5000 driver msgbox-focus
    check "the file's name composed" driver msgbox-type "${path##*\\}"
    check_until "the field shows the whole path" "Edit $path" 3000 driver msgbox-focus
    shot typed
    xdotool key Return
    check "the dialog is gone after Enter" driver msgbox-gone 5000
else
    fail "the file dialog is up"
fi
# Storing the path and arming are one handler's steps after the dialog: an armed bar has stored it.
check "armed once the dialog was confirmed" wait_text_prefix 90 10 "剩余：0小时0分" 3000
check_eq "MP3路径 is the file chosen" "$path" "$(driver reg-read HKCU 'Software\TORV' 'MP3路径')"
check_eq "默认事件" 3 "$(driver reg-read HKCU 'Software\TORV' '默认事件')"
check_eq "nothing plays before the end" 0 "$(sink_size)"
check "the countdown ends" wait_text 90 10 "剩余：0小时0分0秒" 6000
# Endless repetition: more than two passes of the tone reach the sink.
check "the chosen file rings, again and again" sink_wait_size $((pass_bytes * 5 / 2)) 10000
check_eq "no chime in its place" 0 "$(stat -c %s "$chime_sink" 2>/dev/null || echo 0)"
check_eq "the action stays selected" "音乐…" "$(driver text 213 10)"
shot ringing
check "the speaker button clicked" driver click 260 10
check "the music stops" sink_wait_still 500 3000
e2e_finish
