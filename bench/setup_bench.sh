#!/usr/bin/env bash
# The installation benchmark, side by side in one run: for the demo product
# (12 files) and for a payload of about 200 MB in 2,000 files, the setup
# program unattended (/u) and silent (/S), an NSIS installer (zlib, /S) that
# does the same job as far as NSIS can, and qlcat.exe extracting the same
# archive (the installer's own extraction alone), run alternately under one
# Wine and one virtual display; the quiet uninstalls after the silent
# installs, ours beside NSIS's; medians, ratios, bytes written, the phases
# of our unattended install read from its log, the stub sizes and qlcat pack
# on one and on two threads. BENCH_RUNS sets the rounds (3), BENCH_MB and
# BENCH_FILES the large payload (200, 2000); BENCH_BASELINE_BUILD a Windows
# build of another revision, configured with the same large payload
# (-DQL_PAYLOAD_DIR=bench/out/setup/payload), whose setup then runs beside
# ours. On a machine that runs no 32-bit program (scripts/machine.sh) every
# program runs as built for 64-bit Windows, NSIS's installers too; the sizes
# are always those of the shipped 32-bit build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/bench/out/setup"
build=${QL_BUILD_DIR:-$root/build}
build_win=${QL_BUILD_WIN_DIR:-$root/build-win}
large_win="$out/build-win"
toolchain="$root/cmake/mingw-i686.cmake"
run_win=$build_win
source "$root/scripts/machine.sh"
if ! ql_runs_32bit_programs; then
  toolchain="$root/cmake/mingw-x86_64.cmake"
  run_win=${QL_BUILD_WIN64_DIR:-$root/build-win64}
  large_win="$out/build-win64"
  export QL_BENCH_WIN64=1
fi
payload="$out/payload"
mkdir -p "$out"

# The demo product: the ordinary builds. The large payload: the product's
# own programs beside generated data, so the run meets no missing runtime or
# control; only the setup and qlcat.exe are built for it.
bash "$root/scripts/build.sh" >/dev/null
if [ ! -f "$payload/PQENGINE.EXE" ] || [ "$(cat "$out/payload.size" 2>/dev/null)" != "${BENCH_MB:-200} ${BENCH_FILES:-2000} $(basename "$toolchain")" ]; then
  rm -rf "$payload"
  python3 "$root/bench/make_payload.py" "$payload" "${BENCH_MB:-200}" "${BENCH_FILES:-2000}"
  cp "$run_win/tools/demo/PQENGINE.exe" "$payload/PQENGINE.EXE"
  cp "$run_win/standins/standin_axpqeng.dll" "$payload/AXPQENG.DLL"
  cp "$run_win/standins/standin_nppqese.dll" "$payload/NPPQESE.DLL"
  cp "$root/tools/demo/README.TXT" "$payload/README.TXT"
  echo "${BENCH_MB:-200} ${BENCH_FILES:-2000} $(basename "$toolchain")" > "$out/payload.size"
fi
cmake -S "$root" -B "$large_win" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQL_HOST_QLCAT="$build/tools/qlcat" \
  -DQL_PAYLOAD_DIR="$payload" >/dev/null
cmake --build "$large_win" -j "$(nproc)" --target prismora-setup >/dev/null

stubs="$out/stub_size.txt"
QL_NO_BUILD=1 bash "$root/bench/stub_size.sh" > "$stubs"

export QL_BUILD_WIN_DIR="$out"  # the benchmark's own Wine prefix
source "$root/scripts/wine-session.sh"
ql_wine_start
python3 "$root/bench/setup_bench.py" "$root" "$build" "$run_win" "$large_win" "$out" "$stubs"
