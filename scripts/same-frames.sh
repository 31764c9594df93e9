#!/usr/bin/env bash
# The Windows module delivers the same frame bytes as the Linux one: one clip, made by the Linux
# encoder, requested in every host format at full and reduced sizes through both builds' harnesses
# (the Windows one under Wine); every raw host frame must match byte for byte.
# Usage: same-frames.sh LINUX_BIN WINDOWS_BIN WINE
set -euo pipefail
linux=$1 windows=$2 wine=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/krvx-same-frames.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$linux/krvx-encode" -o "$work/clip.avi" --size 320x176 --frames 6 --gop 3 --format rgba --pattern box -q
# The Windows harness takes the files by their Windows names.
winwork=$("$wine" winepath -w "$work" 2>/dev/null | tr -d '\r')
compared=0
for format in bgra argb Bgra BGra ARgb vuya VUya yuy3; do
  for size in 320x176 160x88 200x100; do
    [ "$format" = yuy3 ] && [ "$size" = 200x100 ] && continue  # packed 4:2:2 is never scaled
    for frame in 0 4; do
      # Numbered, not named by format: Wine's file names ignore letter case, and "bgra" is not "Bgra".
      name="frame$compared"
      "$linux/krvx-host" frame "$work/clip.avi" --frame $frame --format $format --size $size --raw "$work/$name.linux" >/dev/null
      "$wine" "$windows/krvx-host.exe" frame "$winwork\\clip.avi" --frame $frame --format $format --size $size \
        --raw "$winwork\\$name.windows" >/dev/null
      if ! cmp -s "$work/$name.linux" "$work/$name.windows"; then
        echo "same-frames: frame $frame in $format at $size differs between the Linux and the Windows build" >&2
        exit 1
      fi
      compared=$((compared + 1))
    done
  done
done
echo "same-frames: $compared frames identical on both builds"
