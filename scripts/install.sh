#!/usr/bin/env bash
# Installs what building and testing Hulkmeter needs on Debian 12, as root.
# Safe to run again: it installs only packages that are missing.
set -euo pipefail

packages=(
  cmake g++ make ninja-build googletest libbenchmark-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64
  xvfb xdotool x11-utils imagemagick
  clang-tidy clang-format clang libclang-rt-14-dev
  file util-linux python3 fp-utils-3.2.2 libchm-bin
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "install.sh: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # wine64 recommends wine32, which cannot run on this kernel and would break
  # the wine wrapper: recommends stay off.
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'install ok installed'; then
  echo "install.sh: wine32 is installed; it makes 'wine' fail on a 64-bit-only kernel. Remove it with: apt-get remove wine32" >&2
  exit 1
fi
echo "install.sh: all packages present"
