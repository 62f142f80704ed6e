#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, once per machine.
# Safe to run again: it only calls apt when something is missing.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

packages=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  cmake make ninja-build pkg-config dpkg-dev perl python3
  libboost-dev
  wine wine64 xvfb xauth
  openssl nodejs locales
  xdotool  # clicks in the update tests
  fonts-wqy-microhei  # Chinese glyphs for the dialogs' "宋体" texts under Wine
)

need_update=0

# No i386 architecture and no wine32: the build machines' kernels cannot run
# 32-bit Linux programs, so Wine here runs the 64-bit Windows build (see README).

# apt-get source needs deb-src lines for the same suites as the binary ones.
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "setup: adding deb-src entries"
  $SUDO tee /etc/apt/sources.list.d/anchordesk-src.sources >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

# Node may come from another source than Debian (with npm built in); only
# without npm is Debian's own package needed.
if ! command -v npm >/dev/null; then packages+=(npm); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ] || [ $need_update -eq 1 ]; then
  echo "setup: installing ${missing[*]:-nothing new}"
  $SUDO apt-get update -q
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi

# Wine takes its ANSI code page from the Linux locale: zh_CN.UTF-8 gives 936 (GBK),
# but only when that locale has been generated on the machine.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  if ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
