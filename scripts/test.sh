#!/usr/bin/env bash
# The test command: installs what it needs, builds all three targets and runs every test.
#   Linux x86_64:   build, unit and integration tests (ctest), then again with ASan+UBSan, and the
#                   threaded tests with TSan; the fuzz targets for a bounded time.
#   Windows x86_64: build, and the test programs under Wine (wine64).
#   Windows i686:   build of the shipping module, the check of its export table, and the test programs
#                   under 32-bit Wine (wine32), as the module ships; then the release package made from
#                   this build (scripts/package.sh), unpacked into an empty folder, and its
#                   krvx-host.exe demo run from there under 32-bit Wine.
# First of all, the include order between folders (scripts/check-layers.py).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${KRVX_JOBS:-$(nproc)}
out=${KRVX_BUILD_ROOT:-$root/build/test}
fuzz_seconds=${KRVX_FUZZ_SECONDS:-60}

step() { printf '\n==== %s [%s]\n' "$1" "$(date +%H:%M:%S)"; }

step "dependencies"
bash scripts/install-deps.sh

step "layers: every folder includes only folders below it"
python3 scripts/check-layers.py

configure() {  # dir, extra cmake arguments...
  local dir=$1
  shift
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRVX_WERROR=ON "$@" >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; return 1; }
}
build() { cmake --build "$1" -j "$jobs" >"$1.build.log" 2>&1 || { tail -60 "$1.build.log"; return 1; }; }
mkdir -p "$out"

step "Linux x86_64: build and test"
configure "$out/linux" -DKRVX_BUILD_BENCH=ON
build "$out/linux"
(cd "$out/linux" && ctest --output-on-failure -j "$jobs")

step "Linux x86_64 with AddressSanitizer and UndefinedBehaviorSanitizer"
configure "$out/asan" -DKRVX_SANITIZE=address,undefined
build "$out/asan"
(cd "$out/asan" && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs" -LE large)

step "Linux x86_64 with ThreadSanitizer: the threaded tests"
configure "$out/tsan" -DKRVX_SANITIZE=thread
build "$out/tsan"
(cd "$out/tsan" && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j "$jobs" -L threads)

step "fuzz targets (clang, ASan+UBSan), $fuzz_seconds s each"
configure "$out/fuzz" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKRVX_BUILD_FUZZ=ON \
  -DKRVX_BUILD_TESTS=OFF -DKRVX_FUZZ_SECONDS="$fuzz_seconds"
build "$out/fuzz"
(cd "$out/fuzz" && ctest --output-on-failure -L fuzz)

# Windows test programs run under Wine, each build in a prefix of its own, made once before its tests
# run side by side. A failure of Wine itself to start is retried once.
wineserver=/usr/lib/wine/wineserver
prefixes=()
trap 'for p in "${prefixes[@]}"; do WINEPREFIX=$p $wineserver -k >/dev/null 2>&1 || true; rm -rf "$p"; done' EXIT
wine_tests() {  # build dir, Wine loader, WINEARCH, ctest arguments...
  local dir=$1 loader=$2 arch=$3
  shift 3
  local prefix
  prefix=$(mktemp -d "${TMPDIR:-/tmp}/krvx-wine-$arch.XXXXXX")
  prefixes+=("$prefix")
  last_prefix=$prefix
  WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all $loader wineboot -i >/dev/null 2>&1 ||
    WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all $loader wineboot -i >/dev/null 2>&1 ||
    { echo "test: Wine ($loader) could not make a prefix" >&2; return 1; }
  (cd "$dir" && WINEPREFIX=$prefix ctest --output-on-failure -j "$jobs" "$@")
  WINEPREFIX=$prefix $wineserver -w || true
}

step "Windows x86_64: build and test under Wine"
configure "$out/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
build "$out/win64"
wine_tests "$out/win64" /usr/lib/wine/wine64 win64 -LE large
# The Windows module delivers the same frame bytes as the Linux one.
WINEPREFIX=$last_prefix bash scripts/same-frames.sh "$out/linux/bin" "$out/win64/bin" /usr/lib/wine/wine64
# Trimmed copies written by the Windows module through the system's filter graph read back on Linux.
WINEPREFIX=$last_prefix bash scripts/wine-trims.sh "$out/linux/bin" "$out/win64/bin" /usr/lib/wine/wine64

step "Windows i686: the shipping module, its export table, and the test programs under 32-bit Wine"
configure "$out/win32" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
build "$out/win32"
wine_tests "$out/win32" /usr/lib/wine/wine win32 -LE large
WINEPREFIX=$last_prefix bash scripts/wine-trims.sh "$out/linux/bin" "$out/win32/bin" /usr/lib/wine/wine

step "the release package: zipped from the i686 build, checked, unpacked and toured under 32-bit Wine"
rm -rf "$out/package"
bash scripts/package.sh --build-dir "$out/win32" --out "$out/package"
WINEPREFIX=$last_prefix bash scripts/wine-package.sh "$out"/package/KRVX_AVI_Importer-*-win32.zip "$out/linux/bin"

step "all tests passed"
