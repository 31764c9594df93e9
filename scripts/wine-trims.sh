#!/usr/bin/env bash
# Trimmed copies written by the Windows module under Wine, through the system's filter graph and
# "AVI Mux", checked on Linux as the trim tests check their own: every frame, key flag and audio block
# read back, and ffprobe's view of the file.
# Usage: wine-trims.sh LINUX_BIN WINDOWS_BIN WINE
set -euo pipefail
linux=$1 windows=$2 wine=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/krvx-wine-trims.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$linux/krvx-encode" -o "$work/source.avi" --size 96x54 --rate 30000/1001 --frames 40 --gop 5 -q
winwork=$("$wine" winepath -w "$work" 2>/dev/null | tr -d '\r')

# name, first frame, frames asked, frames expected, video, audio, extra arguments
run() {
  local name=$1 first=$2 asked=$3 expected=$4 video=$5 audio=$6
  shift 6
  if ! "$wine" "$windows/krvx-host.exe" trim "$winwork\\source.avi" --in "$first" --frames "$asked" -q \
      -o "$winwork\\$name" "$@" >"$work/$name.log" 2>&1; then
    echo "wine-trims: the Windows harness could not write $name:" >&2
    cat "$work/$name.log" >&2
    exit 1
  fi
  "$linux/trim_copy_check" "$work/source.avi" "$work/$name" "$first" "$expected" "$video" "$audio" \
    --gtest_brief=1 >"$work/$name.check" 2>&1 || { cat "$work/$name.check" >&2; exit 1; }
}

run range.avi 3 30 30 1 1
run stopped.avi 0 40 11 1 1 --stop-after 10
run video-only.avi 5 20 20 1 0 --no-audio
echo "wine-trims: 3 copies written under Wine read back as their sources"
