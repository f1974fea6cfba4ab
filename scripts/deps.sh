#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, every package by name (nothing is left to a
# "Recommends"), then checks that every command the scripts call exists. Fast when everything is there.
set -euo pipefail

# Each command the scripts and tests call, with the package that brings it. wine64 alone does not bring
# the wine, wineboot and wineserver commands nor Wine's own fonts: those are the wine and fonts-wine
# packages, only recommended by wine64.
commands=(
    cmake:cmake make:make g++:g++ clang++:clang
    x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix x86_64-w64-mingw32-gcc-posix:gcc-mingw-w64-x86-64-posix
    x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
    wine:wine wineboot:wine wineserver:wine
    Xvfb:xvfb xdotool:xdotool xdpyinfo:x11-utils import:imagemagick convert:imagemagick
    localedef:libc-bin iconv:libc-bin flock:util-linux md5sum:coreutils mkfifo:coreutils od:coreutils
    lame:lame sox:sox python3:python3 clang-format:clang-format
)
# Packages without a command of their own: libraries, fonts, the locale sources.
others=(wine64 g++-mingw-w64-x86-64 libgtest-dev libgmock-dev googletest libclang-rt-14-dev fonts-wine fonts-wqy-microhei fonts-wqy-zenhei
        locales)

pkgs=("${others[@]}")
for pair in "${commands[@]}"; do pkgs+=("${pair#*:}"); done
mapfile -t pkgs < <(printf '%s\n' "${pkgs[@]}" | sort -u)

missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Debian puts wine64's commands under /usr/lib/wine; the wine package links the usual names into PATH.
absent=()
for pair in "${commands[@]}"; do
    command -v "${pair%%:*}" >/dev/null 2>&1 || absent+=("${pair%%:*} (package ${pair#*:})")
done
[ -d /usr/share/wine/fonts ] && compgen -G '/usr/share/wine/fonts/*.ttf' >/dev/null ||
    absent+=("Wine's fonts in /usr/share/wine/fonts (package fonts-wine)")
if ((${#absent[@]})); then
    printf 'deps: missing after installing: %s\n' "${absent[@]}" >&2
    exit 1
fi
