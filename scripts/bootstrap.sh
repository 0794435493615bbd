#!/usr/bin/env bash
# Installs everything the build, the program and its tests need on Debian 12.
# Idempotent: when everything is already there it does nothing and prints nothing.
set -euo pipefail

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then SUDO=sudo; else
      echo "bootstrap: packages are missing and this is not root (no sudo either)" >&2; exit 1
    fi
  else
    SUDO=
  fi
}

packages=(
  cmake make g++ git
  clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev
  g++-mingw-w64-i686 g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32:i386 wine64
  xvfb xauth x11-utils imagemagick
  fonts-wqy-microhei locales
  file clang-format
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

need_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then need_i386=1; fi

if [ "${#missing[@]}" -gt 0 ] || [ "$need_i386" -eq 1 ]; then
  need_root
  echo "bootstrap: installing ${missing[*]:-i386 architecture}" >&2
  [ "$need_i386" -eq 1 ] && $SUDO dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq >/dev/null
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Chinese locale, so that Wine can be started with a Chinese system code page.
if ! locale -a 2>/dev/null | grep -qiE '^zh_CN\.utf-?8$'; then
  need_root
  if ! grep -qE '^zh_CN\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
