#!/usr/bin/env bash
# Installs what building and testing need on Debian 12. Fast when everything is already there.
set -euo pipefail
pkgs=(cmake g++ make libgtest-dev googletest clang libclang-rt-14-dev
      g++-mingw-w64-x86-64 wine64 xvfb xdotool x11-utils imagemagick fonts-wqy-microhei fonts-wqy-zenhei locales
      lame sox icoutils)
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
