#!/usr/bin/env bash
# Runs one Windows x86_64 program under Wine, in a Wine prefix made for this test run.
# WINEPREFIX may be set by the caller to share one prefix across a run; it is created on first use.
set -u
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine || true)
if [ -z "$wine" ]; then
  echo "wine-run: Wine is not installed (apt-get install wine64)" >&2
  exit 127
fi
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/krvx-wine-prefix}
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
