#!/usr/bin/env bash
# The installation benchmark: the setup program built with a payload of about
# 200 MB in 2,000 files, installed unattended under Wine, beside an NSIS
# installer (zlib, silent) of the same files installed under the same Wine in
# the same run. Prints both times, their ratio and the two stub sizes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/bench/out/setup"
build="$out/build"
build_win="$out/build-win"
payload="$out/payload"
total_mb=${BENCH_MB:-200}
files=${BENCH_FILES:-2000}

rm -rf "$payload"
python3 "$root/bench/make_payload.py" "$payload" "$total_mb" "$files"
# The product's own files, so the run meets no missing runtime or control.
export QL_BUILD_DIR="$build" QL_BUILD_WIN_DIR="$build_win"
bash "$root/scripts/build.sh" >/dev/null
cp "$build_win/standins/standin_axpqeng.dll" "$payload/AXPQENG.DLL"
cp "$build_win/tools/demo/PQENGINE.exe" "$payload/PQENGINE.EXE"
bash "$root/scripts/build.sh" -DQL_PAYLOAD_DIR="$payload" >/dev/null
setup="$build_win/app/prismora-setup.exe"

# NSIS: the same files, zlib, installed silently; and one with no files.
nsis_script() {  # $1 output, $2 payload folder or empty
  cat <<NSI
SetCompressor zlib
Name "Bench"
OutFile "$1"
InstallDir "\$PROGRAMFILES\\BenchNSIS"
RequestExecutionLevel admin
Section
  SetOutPath "\$INSTDIR"
  $( [ -n "$2" ] && echo "File /r \"$2/*.*\"" )
  WriteUninstaller "\$INSTDIR\\uninstall.exe"
SectionEnd
Section "Uninstall"
SectionEnd
NSI
}
nsis_script "$out/nsis-setup.exe" "$payload" > "$out/bench.nsi"
nsis_script "$out/nsis-empty.exe" "" > "$out/empty.nsi"
makensis -V1 "$out/bench.nsi" >/dev/null
makensis -V1 "$out/empty.nsi" >/dev/null

source "$root/scripts/wine-session.sh"
ql_wine_start
nanoseconds() { local s; s=$(date +%s%N); "$@" >/dev/null 2>&1 || true; echo $(( $(date +%s%N) - s )); }
ours=$(nanoseconds wine "$setup" /u)
theirs=$(nanoseconds wine "$out/nsis-setup.exe" /S)
archive=$(stat -c %s "$build_win/app/PQSETUP.qlc")
stub=$(( $(stat -c %s "$setup") - archive ))
installed=$(du -sb "$WINEPREFIX/drive_c/Program Files (x86)/Prismora 1.0 SE" | cut -f1)
nsis_installed=$(du -sb "$WINEPREFIX/drive_c/Program Files (x86)/BenchNSIS" 2>/dev/null | cut -f1)
nsis_stub=$(stat -c %s "$out/nsis-empty.exe")

python3 - "$ours" "$theirs" "$installed" "${nsis_installed:-0}" "$stub" "$nsis_stub" <<'PY'
import sys
ours, theirs, inst, nsis_inst, stub, nsis_stub = map(int, sys.argv[1:])
print("%-22s %12s %14s %10s" % ("installer", "install s", "installed MB", "stub KiB"))
print("%-22s %12.2f %14.1f %10d" % ("prismora-setup.exe", ours / 1e9, inst / 1e6, stub // 1024))
print("%-22s %12.2f %14.1f %10d" % ("NSIS (zlib, /S)", theirs / 1e9, nsis_inst / 1e6, nsis_stub // 1024))
print("time ratio (ours / NSIS): %.2f" % (ours / theirs))
print("(stub: our executable less its archive; NSIS: its installer built with no files)")
PY
