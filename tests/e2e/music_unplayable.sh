# "音乐…" with MP3路径 naming something that exists but cannot sound (a directory, an empty file) still rings:
# at the end of a 0 / 0 / 3 countdown the first chime, 22.05 kHz, loops into the sound sink, and no message
# box interrupts (the user may be away from the machine).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/ringing.sh"
chime=$(wav_samples sound1.wav)
media_dir=$BENCH_DIR/music.$e2e_name.$$
rm -rf "$media_dir"
mkdir -p "$media_dir/专辑"
: >"$media_dir/空.mp3"
e2e_on_finish "rm -rf '$media_dir'"
# The same folder as the program sees it through Wine's Z: drive.
winpath() {
    local p=$1
    echo "Z:${p//\//\\}"
}

for what in directory empty-file; do
    case $what in
    directory) path=$(winpath "$media_dir/专辑") ;;
    empty-file) path=$(winpath "$media_dir/空.mp3") ;;
    esac
    sink_private
    e2e_clean_settings
    check "$what: MP3路径 stored" driver reg-write HKCU 'Software\TORV' 'MP3路径' "$path"
    dida_start
    check "$what: minutes set" driver settext 108 10 0
    check "$what: seconds set" driver settext 144 10 3
    # The label's texts from just before the choice of "音乐…" to past the zero, recorded by the driver.
    watch_start "count_$what" 90 10 5000 213 10 3
    # Nothing plays before the ring: "音乐…" has no preview, so more than one chime means it loops.
    check "$what: the chime loops" sink_wait_size $((chime * 3 / 2)) 8000
    looped=$(now_ms)
    fired=$(watch_moment "count_$what" "剩余：0小时0分0秒")
    check "$what: the loop came after the zero ($((looped - fired)) ms)" test -n "$fired" -a "$looped" -ge "${fired:-0}"
    watch_wait "count_$what"
    check_countdown "count_$what" 3
    read -r starts copies other <<<"$(sink_copies sound1.wav)"
    check "$what: the sink holds the first chime from its start, whole ($starts $copies)" \
        test "$starts" = 1 -a "$copies" -ge 1
    if box=$(driver msgbox-wait 300); then
        fail "$what: a message box came up: $box / $(driver msgbox-text)"
        driver msgbox-answer 1
    else
        pass "$what: no message box"
    fi
    check_eq "$what: the action stays selected" "音乐…" "$(driver text 213 10)"
    check_eq "$what: the stored path is kept" "$path" "$(driver reg-read HKCU 'Software\TORV' 'MP3路径')"
    shot "$what"
    dida_kill
done
e2e_finish
