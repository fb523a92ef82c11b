#!/usr/bin/env bash
# Configures (once) and builds both builds: build/ for the host (portable
# code, its tests, qlcat) and build-win/ for 32-bit Windows (QL_BUILD_DIR and
# QL_BUILD_WIN_DIR choose other folders). On a machine that runs no 32-bit
# program (see scripts/machine.sh), also build-win64/ (QL_BUILD_WIN64_DIR):
# the same code for 64-bit Windows, which the Windows tests run there.
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

source "$root/scripts/machine.sh"
if ! ql_runs_32bit_programs; then
  build_win64=${QL_BUILD_WIN64_DIR:-$root/build-win64}
  cmake -S "$root" -B "$build_win64" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DQL_HOST_QLCAT="$build/tools/qlcat" "$@" >/dev/null
  cmake --build "$build_win64" -j "$jobs"
fi
