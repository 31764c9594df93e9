#!/usr/bin/env bash
# The release package as a user meets it: unpacked into an empty folder, `krvx-host.exe demo` run from
# there under 32-bit Wine. Passes when the demo exits 0 and every load of the plug-in module and of the
# decoder library came from the unpacked folder (Wine's loader trace names each module a process loads,
# also in the copy of the harness that the demo runs under the editor's name).
# The tour gets a small clip from the Linux encoder: the sample clip the demo would otherwise make
# (1920 x 1080, 250 frames) takes about a minute to encode under Wine.
# Usage: wine-package.sh ZIP LINUX_BIN   (WINEPREFIX names a 32-bit prefix made by the caller)
set -euo pipefail
zip=$(realpath "$1")
linux=$2
wine=/usr/lib/wine/wine
work=$(mktemp -d "${TMPDIR:-/tmp}/krvx-package-demo.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$zip")
"$linux/krvx-encode" -o "$work/clip.avi" --size 640x360 --frames 50 --gop 10 --meta TIMC=01:00:00:00 \
  --meta REEL=A001 -q
clip=$("$wine" winepath -w "$work/clip.avi" 2>/dev/null | tr -d '\r')
unpacked=$("$wine" winepath -w "$work/unpacked" 2>/dev/null | tr -d '\r')

# Wine's own messages stay off, all but the loader's lines that name each module loaded.
if ! (cd "$work/unpacked" && env -u KRVX_TEST_BIN WINEDEBUG=-all,+loaddll \
    "$wine" krvx-host.exe demo --clip "$clip" >"$work/demo.log" 2>"$work/loader.log"); then
  echo "wine-package: krvx-host.exe demo failed in the unpacked package:" >&2
  cat "$work/demo.log" >&2
  grep -v ':loaddll:' "$work/loader.log" >&2 || true
  exit 1
fi

# The loader writes each path as a C string, its backslashes doubled; Windows paths compare without case.
mapfile -t loaded < <(sed -n 's/.*:loaddll:build_module Loaded L"\(.*\)" at .*/\1/p' "$work/loader.log" |
  sed 's/\\\\/\\/g')
for name in KRVX_AVI_ImporterCS5_32.prm KRVXDecoder.dll; do
  count=0
  for path in "${loaded[@]}"; do
    file=${path##*\\}
    [ "${file,,}" = "${name,,}" ] || continue
    if [ "${path,,}" != "${unpacked,,}\\${name,,}" ]; then
      echo "wine-package: the demo loaded $path, not $unpacked\\$name" >&2
      exit 1
    fi
    count=$((count + 1))
  done
  if [ "$count" -eq 0 ]; then
    echo "wine-package: the demo never loaded $name" >&2
    exit 1
  fi
done
echo "wine-package: the demo ran from the unpacked package, with its module and decoder library"
