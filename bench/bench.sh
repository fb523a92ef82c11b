#!/usr/bin/env bash
# Builds the host tools and prints the extraction benchmark's figures.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QL_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target qlcat inflate_limit >/dev/null
mkdir -p "$root/bench/out"
python3 "$root/bench/run.py" "$build" "$root/bench/out"
