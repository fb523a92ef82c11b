#!/usr/bin/env bash
# The main job: packs a payload folder into a setup archive with the host
# qlcat, lists and verifies it, then extracts it with the Windows build of
# qlcat (the installer's own extraction) under Wine and compares every file.
# Installs what is missing and builds first. Run as root.
#   scripts/demo.sh [PAYLOAD_FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
payload=$(cd "${1:-$root/resources/sample-payload}" && pwd)
build=${QL_BUILD_DIR:-$root/build}
build_win=${QL_BUILD_WIN_DIR:-$root/build-win}

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

work="$build/demo"
rm -rf "$work"
mkdir -p "$work"

echo "== pack $payload"
"$build/tools/qlcat" pack "$payload" -o "$work/setup.qlc"
echo "== list"
"$build/tools/qlcat" list "$work/setup.qlc"
echo "== verify"
"$build/tools/qlcat" verify "$work/setup.qlc"

echo "== extract with the Windows build under Wine"
source "$root/scripts/wine-session.sh"
ql_wine_start
dest_win=$(winepath -w "$work/extracted")
wine "$build_win/tools/qlcat.exe" extract "$(winepath -w "$work/setup.qlc")" "$dest_win"

echo "== compare"
diff -r "$payload" "$work/extracted"
echo "every file came back byte for byte: $(find "$payload" -type f | wc -l) files"
