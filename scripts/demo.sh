#!/usr/bin/env bash
# The main job: builds the plug-in and the host harness, then tours a clip's life through the plug-in.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=${KRVX_BUILD_ROOT:-build/demo}
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKRVX_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" --target krvx-host >/dev/null
exec "$dir/bin/krvx-host" demo "$@"
