#!/usr/bin/env bash
# The threads benchmark: packing on one and on two threads (times, ratio,
# byte identity) and extraction decoding on the calling thread and on two
# decoder threads (times, peak memory) for payloads of about 50 MB and
# 200 MB, with the host qlcat and, when the Windows build and Wine are there,
# with qlcat.exe, which extracts with the installer's own code.
# BENCH_DEST chooses where the extractions write (default: bench/out).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QL_BUILD_DIR:-$root/build}
build_win=${QL_BUILD_WIN_DIR:-$root/build-win}
out="$root/bench/out/parallel"
mkdir -p "$out"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target qlcat >/dev/null
qlcat_exe="$build_win/tools/qlcat.exe"
if [ -f "$qlcat_exe" ] && command -v wine >/dev/null; then
  export WINEPREFIX="$out/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  [ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1 || true
  wineserver -p 2>/dev/null || true  # 2 when one already serves this prefix
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
else
  qlcat_exe=""
fi
python3 "$root/bench/parallel.py" "$build/tools/qlcat" "$qlcat_exe" "$out" "${BENCH_DEST:-$out}"
