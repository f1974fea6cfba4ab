# What a reminder leaves for the tests to see besides the controls' texts: the samples in the sound sink
# and the colour of the status text. Sourced after lib.sh.
#
# The bench's sink folder is shared by every bench of this working tree; a test that judges what was played
# gives the program a sink of its own, so a sound from a parallel run cannot land in it.

_ringing_media=$(cd "$_e2e_dir/../../src/ui/media" && pwd)

# sink_private — from now on the program started by dida_start plays into a folder of this test alone
sink_private() {
    local dir=$BENCH_DIR/sink.$e2e_name.$$
    rm -rf "$dir"
    mkdir -p "$dir"
    local conf=$dir.conf
    echo "pcm.!default { type file slave.pcm { type null } file \"$dir/alsa_%r_%c_%f.raw\" format \"raw\" }" >"$conf"
    export ALSA_CONFIG_PATH=$conf DIDA_ALSA_SINK_DIR=$dir
    sink_file=$dir/alsa_22050_1_U8.raw
    e2e_on_finish "rm -rf '$dir' '$conf'"
}

sink_size() { stat -c %s "$sink_file" 2>/dev/null || echo 0; }


# sink_wait_size MIN TIMEOUT_MS — until the sink holds more than MIN bytes
sink_wait_size() {
    local min=$1 end=$(($(now_ms) + $2))
    while (($(now_ms) < end)); do
        (($(sink_size) > min)) && return 0
        sleep 0.05
    done
    return 1
}

# sink_wait_still QUIET_MS TIMEOUT_MS — until the sink has not grown for QUIET_MS; prints the moment (ms) it
# was last seen growing. A sink that never grew counts from the call.
sink_wait_still() {
    local quiet=$1 end=$(($(now_ms) + $2)) last size now
    last=$(now_ms)
    size=$(sink_size)
    while :; do
        sleep 0.05
        now=$(now_ms)
        if [ "$(sink_size)" != "$size" ]; then
            size=$(sink_size)
            last=$now
        elif ((now - last >= quiet)); then
            echo "$last"
            return 0
        fi
        ((now < end)) || return 1
    done
}

# sink_copies WAV — how the sink compares with the samples of that chime: "STARTS COPIES OTHER", where STARTS
# is 1 when the sink begins with them, COPIES how many whole copies of them it holds one after another, and
# OTHER how many of the bytes outside those copies are not silence (a device pads with silence).
sink_copies() {
    python3 - "$_ringing_media/$1" "$sink_file" <<'EOF'
import struct, sys
wav = open(sys.argv[1], "rb").read()
try:
    sink = open(sys.argv[2], "rb").read()
except FileNotFoundError:
    sink = b""
pos, data, silence = 12, None, 0x80
while pos + 8 <= len(wav):
    cid, size = wav[pos:pos + 4], struct.unpack("<I", wav[pos + 4:pos + 8])[0]
    if cid == b"fmt " and struct.unpack("<H", wav[pos + 22:pos + 24])[0] != 8:
        silence = 0
    if cid == b"data":
        data = wav[pos + 8:pos + 8 + size]
        break
    pos += 8 + size + (size & 1)
if not data:
    sys.exit("no samples in " + sys.argv[1])
starts = int(sink.startswith(data))
copies, covered, at = 0, bytearray(len(sink)), sink.find(data)
while at >= 0:
    copies += 1
    covered[at:at + len(data)] = b"\1" * len(data)
    at = sink.find(data, at + len(data))
other = sum(1 for i, b in enumerate(sink) if not covered[i] and b != silence)
print(starts, copies, other)
EOF
}

# wav_samples WAV — the length of that chime's samples in bytes
wav_samples() {
    python3 - "$_ringing_media/$1" <<'EOF'
import struct, sys
wav = open(sys.argv[1], "rb").read()
pos = 12
while pos + 8 <= len(wav):
    cid, size = wav[pos:pos + 4], struct.unpack("<I", wav[pos + 4:pos + 8])[0]
    if cid == b"data":
        print(min(size, len(wav) - pos - 8))
        break
    pos += 8 + size + (size & 1)
EOF
}

# status_red — how many pixels of the status label on the screen are red: red text shows dozens, black none
status_red() {
    local bx by _
    read -r bx by _ _ <<<"$(driver rect)"
    import -display "$DISPLAY" -window root -crop "$(px 128)x$(px 20)+$((bx + $(px 52)))+$((by + $(px 1)))" -depth 8 \
        txt:- 2>/dev/null |
        awk -F'[(),]' 'NR > 1 && $3 >= 170 && $4 <= 110 && $5 <= 110 { n++ } END { print n + 0 }'
}

# status_flashes SAMPLES — samples the label until its text has been seen both red and black; prints
# "RED BLACK", the number of samples in each colour
status_flashes() {
    local red=0 black=0 i n
    for ((i = 0; i < $1; i++)); do
        n=$(status_red)
        if ((n >= 10)); then red=$((red + 1)); elif ((n == 0)); then black=$((black + 1)); fi
        ((red && black)) && break
        # Screenshots take about 0.3 s; the offset keeps the samples from locking onto the 250 ms toggle.
        sleep 0.07
    done
    echo "$red $black"
}


# check_countdown NAME SECONDS — checks the record NAME of the status label (watch_start with the choice that
# armed a countdown of SECONDS): from the fields it went to "剩余：0小时0分SECONDS秒" and down by one to zero, each
# text in its second. A timer never fires early, so the k-th text comes k seconds after the choice at the
# soonest; a loaded machine may hold a tick back, here by up to a second and a half.
check_countdown() {
    local name=$1 n=$2 s want selected at k
    want="     时    分    秒|"
    for ((s = n; s >= 0; s--)); do want+="剩余：0小时0分${s}秒|"; done
    # Arming hides the fields' label before it shows the status label: a look in between finds no text there.
    check_eq "the label's texts from the choice to zero" "$want" \
        "$(watch_texts "$name" | sed '2{/^$/d}; /^剩余：0小时0分0秒$/q' | tr '\n' '|')"
    selected=$(watch_moment "$name" "<selected>")
    for ((s = n; s >= 0; s--)); do
        k=$((n - s))
        at=$(watch_moment "$name" "剩余：0小时0分${s}秒")
        [ -n "$at" ] && [ -n "$selected" ] || continue
        check "剩余：0小时0分${s}秒 $((at - selected)) ms after the choice (from ${k} s to ${k} s + 1.5 s)" \
            test $((at - selected)) -ge $((k * 1000 - 20)) -a $((at - selected)) -le $((k * 1000 + 1500))
    done
}
