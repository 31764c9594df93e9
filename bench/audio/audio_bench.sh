#!/bin/bash
# Pulls a one-hour clip's audio through the plug-in with `krvx-host audio` side by side with a plain
# sequential read of the same file (both from the page cache), three rounds interleaved, and prints
# seconds of audio per second of wall time and CPU per 4800-frame block.
#   bench/audio/audio_bench.sh BUILD_DIR [CLIP]
set -euo pipefail
build=${1:?build folder with bin/krvx-host and bin/krvx-encode}
clip=${2:-$build/bench/hour.avi}
if [ ! -f "$clip" ]; then
  mkdir -p "$(dirname "$clip")"
  "$build/bin/krvx-encode" -o "$clip" --size 32x18 --frames 90000 --gop 10 -q
fi
seconds=3600
blocks=$(( (48000 * seconds + 4799) / 4800 ))
cat "$clip" >/dev/null  # into the page cache
TIMEFORMAT='%R %U %S'
for round in 1 2 3; do
  plain=$( { time cat "$clip" >/dev/null; } 2>&1 )
  plugin=$( { time "$build/bin/krvx-host" audio "$clip" -o /dev/null -q >/dev/null; } 2>&1 )
  read -r pw pu ps <<<"$plain"
  read -r hw hu hs <<<"$plugin"
  awk -v s="$seconds" -v b="$blocks" -v pw="$pw" -v pu="$pu" -v ps="$ps" -v hw="$hw" \
      -v hu="$hu" -v hs="$hs" -v r="$round" 'BEGIN {
    pc = pu + ps; hc = hu + hs
    printf "round %d: plain read %.3f s wall %.3f s CPU (%.0f s of audio per s); krvx-host audio %.3f s wall %.3f s CPU (%.0f s of audio per s); speed ratio %.2f; %.1f us CPU per block\n",
      r, pw, pc, s / pw, hw, hc, s / hw, pw / hw, hc * 1e6 / b }'
done
