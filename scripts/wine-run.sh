#!/usr/bin/env bash
# Runs one Windows program under Wine, in a Wine prefix made for this test run.
#   wine-run.sh [--win32] PROGRAM [ARGS...]
# Without --win32 the program is x86_64 and runs under wine64; with it, an i686 program runs under the
# 32-bit loader (Debian's wine32:i386), in a 32-bit prefix of its own: a 64-bit prefix made by wine64
# would not do for a 32-bit-only Wine.
# WINEPREFIX may be set by the caller to share one prefix across a run; it is created on first use.
set -u
if [ "${1:-}" = "--win32" ]; then
  shift
  wine=/usr/lib/wine/wine
  package=wine32:i386
  export WINEARCH=win32
  default_prefix=${TMPDIR:-/tmp}/krvx-wine32-prefix
else
  wine=/usr/lib/wine/wine64
  package=wine64
  default_prefix=${TMPDIR:-/tmp}/krvx-wine-prefix
fi
if [ ! -x "$wine" ]; then
  echo "wine-run: $wine is missing (apt-get install $package)" >&2
  exit 127
fi
export WINEPREFIX=${WINEPREFIX:-$default_prefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
mkdir -p "$WINEPREFIX"
run() { "$wine" "$@"; }
run "$@"
rc=$?
# A failure of Wine itself to start (not of the program) shows as a wineserver or loader error code; retry once.
if [ $rc -eq 53 ] || [ $rc -eq 126 ]; then
  sleep 1
  run "$@"
  rc=$?
fi
exit $rc
