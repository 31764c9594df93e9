#!/usr/bin/env bash
# The release package: builds the shipping Windows i686 files and leaves
# dist/KRVX_AVI_Importer-<version>-win32.zip holding KRVX_AVI_ImporterCS5_32.prm, the stand-in
# KRVXDecoder.dll, krvx-host.exe and INSTALL.txt; then checks what the zip holds.
#   package.sh [--build-dir DIR] [--out DIR]
#     --build-dir DIR  an i686 build folder to package instead of build/package (a Release build without
#                      tests, configured by this script). A folder configured already keeps its settings
#                      and only the shipping files are brought up to date: the test command packages its
#                      own i686 build so.
#     --out DIR        where the zip goes (default dist)
# The version is the project's, from the top CMakeLists.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$root/build/package
given_build=no
out=$root/dist
usage() { echo "usage: package.sh [--build-dir DIR] [--out DIR]" >&2; exit 2; }
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case $1 in
    --build-dir) build=$(realpath -m "$2"); given_build=yes; shift 2 ;;
    --out) out=$(realpath -m "$2"); shift 2 ;;
    *) usage ;;
  esac
done

bash scripts/install-deps.sh
# Logs, CPack's staging folder and the unpacked zip go to a scratch folder; only the zip stays.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/krvx-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
if [ $given_build = no ] || [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DKRVX_BUILD_TESTS=OFF >"$scratch/configure.log" 2>&1 || { cat "$scratch/configure.log"; exit 1; }
fi
cmake --build "$build" -j "${KRVX_JOBS:-$(nproc)}" --target KRVX_AVI_ImporterCS5_32 KRVXDecoder krvx-host \
  >"$scratch/build.log" 2>&1 || { tail -60 "$scratch/build.log"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; exit 1; }
zips=("$scratch"/KRVX_AVI_Importer-*-win32.zip)
if [ ! -f "${zips[0]}" ]; then
  echo "package: $build is not a Windows i686 build (cmake/mingw-i686.cmake); it made no -win32.zip" >&2
  exit 1
fi
mkdir -p "$out"
zip=$out/$(basename "${zips[0]}")
mv -f "${zips[0]}" "$zip"

objdump=$(sed -n 's/^CMAKE_OBJDUMP:FILEPATH=//p' "$build/CMakeCache.txt")
mkdir "$scratch/contents"
cmake -DZIP="$zip" -DOBJDUMP="${objdump:-i686-w64-mingw32-objdump}" -DCONTENTS="$scratch/contents" \
  -P cmake/CheckPackage.cmake
echo "package: wrote $zip"
