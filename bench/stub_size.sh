#!/usr/bin/env bash
# Prints the sizes of the shipped programs side by side: the setup, its
# product archive, the stub (the setup less the archive, the carried
# uninstaller included), the carried uninstaller as packed, and UNINST.EXE
# as an installation writes it, with the size targets. Builds first unless
# QL_NO_BUILD is set; QL_BUILD_DIR and QL_BUILD_WIN_DIR choose the builds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QL_BUILD_DIR:-$root/build}
build_win=${QL_BUILD_WIN_DIR:-$root/build-win}
[ -n "${QL_NO_BUILD:-}" ] || bash "$root/scripts/build.sh" >/dev/null

app=$build_win/app
setup=$(stat -c %s "$app/prismora-setup.exe")
archive=$(stat -c %s "$app/PQSETUP.qlc")
carried=$(stat -c %s "$app/prismora-uninst.qlc")
# What an installation writes is the one entry of the carried archive.
written=$("$build/tools/qlcat" list "$app/prismora-uninst.qlc" | awk -F '\t' 'NR == 1 { print $2 }')
built=$(stat -c %s "$app/prismora-uninst.exe")

python3 - "$setup" "$archive" "$carried" "$written" "$built" <<'PY'
import sys
setup, archive, carried, written, built = map(int, sys.argv[1:])
stub = setup - archive
rows = [
    ("prismora-setup.exe", setup, None),
    ("product archive PQSETUP", archive, None),
    ("stub (setup less archive)", stub, 400),
    ("carried uninstaller PQUNINST", carried, None),
    ("UNINST.EXE written", written, 300),
]
print("%-30s %10s %9s %8s" % ("", "bytes", "KiB", "target"))
for name, size, target in rows:
    verdict = "" if target is None else ("<= %d %s" % (target, "met" if size <= target * 1024 else "MISSED"))
    print("%-30s %10d %9.1f  %s" % (name, size, size / 1024, verdict))
if written != built:
    print("note: UNINST.EXE carried (%d bytes) differs from the built prismora-uninst.exe (%d)" % (written, built))
PY
