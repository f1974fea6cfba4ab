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
    driver reg-delete HKCU 'Software\TORV' 2>/dev/null
    check "$what: MP3路径 stored" driver reg-write HKCU 'Software\TORV' 'MP3路径' "$path"
    dida_start
    check "$what: minutes set" driver settext 108 10 0
    check "$what: seconds set" driver settext 144 10 3
    check "$what: 音乐… chosen" driver select 213 10 3
    armed=$(now_ms)
    # Nothing plays before the ring: "音乐…" has no preview, so more than one chime means it loops.
    if sink_wait_size $((chime * 3 / 2)) 8000; then
        looped=$(now_ms)
        check "$what: the chime loops from the third second ($((looped - armed)) ms after arming)" \
            test $((looped - armed)) -ge 2500
    else
        fail "$what: the chime loops after the countdown: the sink holds $(sink_size) bytes"
    fi
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
