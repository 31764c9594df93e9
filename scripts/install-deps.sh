#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, when any is missing. Needs root (or sudo).
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 wine32:i386
  ffmpeg libavformat-dev libswscale-dev
  libpng-dev python3
  clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# 32-bit Wine (for the shipping i686 module's tests) comes from the i386 architecture's packages.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  if ! $sudo dpkg --add-architecture i386; then
    echo "install-deps: cannot add the i386 architecture, which 32-bit Wine (wine32:i386) needs" >&2
    exit 1
  fi
fi
if ! $sudo apt-get update -q >/tmp/krvx-apt-update.log 2>&1; then
  echo "install-deps: apt-get update failed (see /tmp/krvx-apt-update.log)" >&2
  exit 1
fi
if ! $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/tmp/krvx-apt-install.log 2>&1; then
  tail -20 /tmp/krvx-apt-install.log >&2
  echo "install-deps: could not install ${missing[*]}; the Windows builds and tests need MinGW-w64 and Wine (wine64, wine32:i386)" >&2
  exit 1
fi
