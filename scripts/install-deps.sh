#!/usr/bin/env bash
# Installs every Debian package the builds and tests need. Safe to run again.
set -euo pipefail

native_pkgs=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libssl-dev libturbojpeg0-dev libjpeg62-turbo-dev libpng-dev zlib1g-dev liblz4-dev libwim-dev
  libasio-dev libsqlite3-dev
  libx11-dev libxext-dev libxdamage-dev libxfixes-dev libxrandr-dev libxtst-dev
  xvfb xauth x11-utils xdotool xclip
  x11-apps xterm  # what moves on the demo's shared screen: a clock, and top in a terminal
)
# libgcrypt for Windows: only the 64-bit Wine test build links it (PX_WINE_CRYPTO).
cross_pkgs=(g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 libgcrypt-mingw-w64-dev)
wine_pkgs=(wine wine32 wine64)

need_install() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || return 0
  done
  return 1
}

sudo_if_needed() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_if_needed dpkg --add-architecture i386
fi

if need_install "${native_pkgs[@]}" "${cross_pkgs[@]}" "${wine_pkgs[@]}"; then
  export DEBIAN_FRONTEND=noninteractive
  sudo_if_needed apt-get update -q
  sudo_if_needed apt-get install -y -q "${native_pkgs[@]}" "${cross_pkgs[@]}"
  # Wine's fonts arrive as recommends, so recommends stay on here.
  sudo_if_needed apt-get install -y -q "${wine_pkgs[@]}"
fi
