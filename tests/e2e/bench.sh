# The Wine bench: a virtual display, a Wine prefix of the project's own, the Chinese locale, an ALSA
# sink that writes every sound to a file, and a warm wineserver. Source this file, then call bench_start;
# everything a Windows test executable needs is exported, so `ctest --preset mingw` runs under it.
# bench_stop ends what bench_start started. Safe under `set -euo pipefail`.
#
#   BENCH_DISPLAY   use this X display instead of starting an Xvfb (scripts/run.sh passes a real one)
#   BENCH_DIR       where the bench keeps its state (default build/wine)
#
# After bench_start: DISPLAY, WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES, LANG, LOCPATH, ALSA_CONFIG_PATH,
# DIDA_ALSA_SINK_DIR, and BENCH_OWN_DISPLAY=1 when the display is a virtual one of the bench.

_bench_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

_bench_log() { echo "bench: $*" >&2; }

# The settings every prefix of the bench gets. Kept as text so the stamp can tell when they changed.
_bench_registry_text() {
    local face
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for face in "微软雅黑" "Microsoft YaHei" "黑体" "SimHei" "楷体" "仿宋"; do
        printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
    done
    # 宋体 sets Latin letters and spaces at half the width of a Chinese character; the bar's labels are laid
    # out on that (the spaces in "     时    分    秒" put each character just right of its field). A
    # monospaced CJK face keeps those proportions.
    for face in "宋体" "SimSun" "新宋体" "NSimSun"; do
        printf '"%s"="WenQuanYi Zen Hei Mono"\r\n' "$face"
    done
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
    # REG_MULTI_SZ is written as hex(7): the UTF-16LE strings, each with its zero, and a final zero.
    local link
    link=$(printf 'wqy-microhei.ttc,WenQuanYi Micro Hei\0\0' | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v |
        tr -s ' \n' ' ' | sed 's/^ //; s/ $//; s/ /,/g')
    for face in "Tahoma" "Tahoma Bold" "MS Shell Dlg" "MS Shell Dlg 2" "Segoe UI" "Segoe UI Bold" "Arial" \
        "Arial Bold" "Microsoft Sans Serif" "Times New Roman" "Courier New" "Lucida Sans Unicode"; do
        printf '"%s"=hex(7):%s\r\n' "$face" "$link"
    done
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n"Audio"="alsa"\r\n'
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n\r\n'
}

_bench_env() {
    export BENCH_DIR=${BENCH_DIR:-$_bench_repo/build/wine}
    export WINEPREFIX=$BENCH_DIR/prefix
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export LOCPATH=$BENCH_DIR/locale
    export LANG=zh_CN.UTF-8
    unset LC_ALL
    export ALSA_CONFIG_PATH=$BENCH_DIR/alsa.conf
    export DIDA_ALSA_SINK_DIR=$BENCH_DIR/sink
}

_bench_locale() {
    [ -e "$LOCPATH/zh_CN.UTF-8/LC_CTYPE" ] && return 0
    mkdir -p "$LOCPATH"
    # localedef warns about details of the source file and still writes the locale: judge by the result.
    localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" >/dev/null 2>&1
    [ -e "$LOCPATH/zh_CN.UTF-8/LC_CTYPE" ] || { _bench_log "localedef zh_CN.UTF-8 failed"; return 1; }
}

_bench_alsa() {
    mkdir -p "$DIDA_ALSA_SINK_DIR"
    # One file per rate, channel count and format: a test finds what was played by its format.
    local conf="pcm.!default { type file slave.pcm { type null } file \"$DIDA_ALSA_SINK_DIR/alsa_%r_%c_%f.raw\" format \"raw\" }"
    [ "$(cat "$ALSA_CONFIG_PATH" 2>/dev/null)" = "$conf" ] || echo "$conf" >"$ALSA_CONFIG_PATH"
}

_bench_display() {
    BENCH_OWN_DISPLAY=
    _bench_xvfb_pid=
    if [ -n "${BENCH_DISPLAY:-}" ]; then
        export DISPLAY=$BENCH_DISPLAY
        unset BENCH_OWN_DISPLAY
        return 0
    fi
    local numfile=$BENCH_DIR/xvfb.$$.display
    rm -f "$numfile"
    # -displayfd lets the server take the first free display itself, so parallel benches never collide.
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$numfile" >"$BENCH_DIR/xvfb.log" 2>&1 &
    _bench_xvfb_pid=$!
    local i
    for i in $(seq 100); do
        [ -s "$numfile" ] && break
        kill -0 "$_bench_xvfb_pid" 2>/dev/null || break
        sleep 0.05
    done
    local num
    num=$(tr -dc 0-9 <"$numfile" 2>/dev/null)
    rm -f "$numfile"
    if [ -z "$num" ]; then
        _bench_log "Xvfb did not start (see $BENCH_DIR/xvfb.log)"
        kill "$_bench_xvfb_pid" 2>/dev/null || true
        _bench_xvfb_pid=
        return 1
    fi
    export DISPLAY=:$num
    export BENCH_OWN_DISPLAY=1
}

_bench_prefix() {
    local stamp=$WINEPREFIX/.dida-bench-stamp reg=$BENCH_DIR/settings.reg want
    want=$(_bench_registry_text | md5sum | cut -d' ' -f1)
    [ "$(cat "$stamp" 2>/dev/null)" = "$want" ] && return 0
    (
        # Two benches starting together must not both build the prefix.
        flock 9
        [ "$(cat "$stamp" 2>/dev/null)" = "$want" ] && exit 0
        if [ ! -e "$WINEPREFIX/system.reg" ]; then
            _bench_log "creating the Wine prefix $WINEPREFIX (about 15 s)"
            # wineserver daemonizes with the caller's stdio: a pipe there would never close.
            wineboot -i >"$BENCH_DIR/wineboot.log" 2>&1 </dev/null
            wineserver -w
        fi
        mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
        cp -f /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
        _bench_registry_text | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
        wine regedit /S "Z:${reg//\//\\}" >>"$BENCH_DIR/wineboot.log" 2>&1 </dev/null || exit 1
        # Let the server write the registry to disk, so copies of the prefix carry the settings.
        wineserver -w
        echo "$want" >"$stamp"
    ) 9>"$BENCH_DIR/prefix.lock"
}

_bench_warm() {
    _bench_keepalive_pid=
    wineserver -p >/dev/null 2>&1 </dev/null || true
    # A console program blocked on a stdin that never ends: it keeps the prefix's services and explorer
    # running, so every launch of a test takes a tenth of a second instead of a second.
    local fifo=$BENCH_DIR/keepalive.$$.fifo
    rm -f "$fifo"
    mkfifo "$fifo"
    wine cmd.exe /q /k 0<>"$fifo" >/dev/null 2>&1 &
    _bench_keepalive_pid=$!
    _bench_fifo=$fifo
    # The first process of a session starts the services; wait for them once here instead of in a test.
    wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
}

bench_start() {
    if [ -n "${BENCH_ACTIVE:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    _bench_env
    mkdir -p "$BENCH_DIR"
    _bench_locale || return 1
    _bench_alsa
    _bench_display || return 1
    _bench_prefix || { _bench_log "preparing the prefix failed (see $BENCH_DIR/wineboot.log)"; bench_stop; return 1; }
    _bench_warm
    export BENCH_ACTIVE=1
}

bench_stop() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    if [ -n "${_bench_keepalive_pid:-}" ]; then
        wineserver -k >/dev/null 2>&1 </dev/null || true
        kill "$_bench_keepalive_pid" 2>/dev/null || true
        wait "$_bench_keepalive_pid" 2>/dev/null || true
        rm -f "${_bench_fifo:-}"
        _bench_keepalive_pid=
    fi
    if [ -n "${_bench_xvfb_pid:-}" ]; then
        kill "$_bench_xvfb_pid" 2>/dev/null || true
        wait "$_bench_xvfb_pid" 2>/dev/null || true
        _bench_xvfb_pid=
    fi
    unset BENCH_ACTIVE BENCH_OWN_DISPLAY
}

# A copy of the prepared prefix for a test that ends the Wine session (the shutdown action kills every
# process of its prefix). Prints the copy's path; run the test with WINEPREFIX set to it, then
# bench_drop_prefix it. The copy has its own wineserver, so the shared session is not touched.
bench_throwaway_prefix() {
    [ -n "${BENCH_ACTIVE:-}" ] || { _bench_log "bench_start first"; return 1; }
    local dir
    dir=$(mktemp -d "$BENCH_DIR/throwaway.XXXXXX") || return 1
    cp -a "$WINEPREFIX/." "$dir/" || { rm -rf "$dir"; return 1; }
    echo "$dir"
}

bench_drop_prefix() {
    local dir=$1
    case "$dir" in "$BENCH_DIR"/throwaway.*) ;; *) _bench_log "not a throwaway prefix: $dir"; return 1 ;; esac
    WINEPREFIX=$dir wineserver -k >/dev/null 2>&1 </dev/null || true
    WINEPREFIX=$dir wineserver -w >/dev/null 2>&1 </dev/null || true
    rm -rf "$dir"
}

# A throwaway copy of the prepared prefix at another display scale: LogPixels DPI (96 is 100 %, 120 125 %,
# 144 150 %, 192 200 %). Wine takes the scale when a prefix's wineserver starts, and the copy starts its own,
# so the shared session stays at 96. Prints the copy's path; bench_drop_prefix it after use.
bench_scaled_prefix() {
    local dpi=$1 dir hex
    dir=$(bench_throwaway_prefix) || return 1
    hex=$(printf '%08x' "$dpi")
    # The system's scale and the font cache's record of the scale it was made for.
    sed -i "s/^\"LogPixels\"=dword:.*/\"LogPixels\"=dword:$hex/" "$dir/system.reg" "$dir/user.reg"
    if ! grep -q "^\"LogPixels\"=dword:$hex" "$dir/system.reg"; then
        _bench_log "no LogPixels in the prefix's system.reg"
        bench_drop_prefix "$dir"
        return 1
    fi
    echo "$dir"
}
