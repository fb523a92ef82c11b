#!/usr/bin/env bash
# Configures (once) and builds both builds: build/ for the host (portable
# code, its tests, qlcat) and build-win/ for 32-bit Windows (QL_BUILD_DIR and
# QL_BUILD_WIN_DIR choose other folders).
# Extra arguments go to the Windows configure step (for example
# -DQL_PAYLOAD_DIR=/path/to/product).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
build=${QL_BUILD_DIR:-$root/build}
build_win=${QL_BUILD_WIN_DIR:-$root/build-win}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs"

cmake -S "$root" -B "$build_win" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DQL_HOST_QLCAT="$build/tools/qlcat" "$@" >/dev/null
cmake --build "$build_win" -j "$jobs"
