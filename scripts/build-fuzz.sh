#!/usr/bin/env bash
# Configures (once) and builds the fuzz targets in build-fuzz/ (QL_BUILD_FUZZ_DIR
# chooses another folder): a native clang build with -DQL_FUZZ=ON, every
# library instrumented for libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer. Only the fuzz targets and what they link are built.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QL_BUILD_FUZZ_DIR:-$root/build-fuzz}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQL_FUZZ=ON >/dev/null
cmake --build "$build" --target ql_fuzz_targets -j "$(nproc)"
