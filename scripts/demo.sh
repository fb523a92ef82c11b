#!/usr/bin/env bash
# The main job: builds everything, then installs the demo product with the
# setup program under Wine on a virtual display - once walking the wizard
# page by page with a screenshot of each page, once more unattended over it -
# prints what was installed, runs the registered uninstaller (answering its
# confirmation) and prints that everything is gone.
# Installs what is missing first. Run as root.
#   scripts/demo.sh [-DQL_PAYLOAD_DIR=/path/to/product]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QL_BUILD_DIR:-$root/build}
build_win=${QL_BUILD_WIN_DIR:-$root/build-win}

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$@"

# A machine that runs no 32-bit program shows the 64-bit build of the same
# code (see scripts/machine.sh).
source "$root/scripts/machine.sh"
if ! ql_runs_32bit_programs; then
  echo "== this machine runs no 32-bit program: the demo shows the 64-bit build"
  build_win=${QL_BUILD_WIN64_DIR:-$root/build-win64}
  export QL_BUILD_WIN_DIR=$build_win
fi

setup="$build_win/app/prismora-setup.exe"
shots="$build_win/screenshots/demo"
driver="$build_win/tools/demodriver/demodriver.exe"
rm -rf "$shots"
mkdir -p "$shots"

echo "== the archive inside the setup program"
"$build/tools/qlcat" verify "$build_win/app/PQSETUP.qlc"

source "$root/scripts/wine-session.sh"
ql_wine_start
export TZ=${TZ:-America/New_York}
win() { winepath -w "$1"; }
unix() { winepath -u "$1" | tr -d '\r'; }
# The data of value $2 (empty: the default value) of key $1.
reg_value() {
  if [ -z "$2" ]; then wine reg query "$1" /ve 2>/dev/null; else wine reg query "$1" /v "$2" 2>/dev/null; fi |
    tr -d '\r' | sed -n "s/^ *\(${2:-(Default)}\|(Default)\) *REG_[A-Z_]* *//p" | head -n 1
}

# A browser with a plug-in folder, so the plug-in has somewhere to go.
browser="$WINEPREFIX/drive_c/DemoBrowser"
mkdir -p "$browser/PLUGINS"
wine reg add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\firefox.exe' /ve /d 'C:\DemoBrowser\firefox.exe' /f >/dev/null

echo "== installing, page by page (screenshots in $shots)"
wine "$driver" install "$(win "$setup")" "$(win "$shots")"
echo "== installing again, unattended"
set +e
wine "$setup" /u
echo "  exit status $?"
set -e

folder=$(reg_value 'HKLM\SOFTWARE\VELDRANE\Prismora 1.0 SE\UnInstallInfo' AppPath)
folder_unix=$(unix "$folder")
echo "== installed into $folder"
ls -l "$folder_unix" "$folder_unix/UNINST" | sed 's/^/  /'
echo "== registry records"
wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Prismora 1.0 SE' | tr -d '\r' | sed 's/^/  /'
wine reg query 'HKLM\SOFTWARE\VELDRANE\Prismora 1.0 SE' /s | tr -d '\r' | grep -v '^$' | cut -c1-110 | sed 's/^/  /'
echo "  .PQR Content Type: $(reg_value 'HKCR\.PQR' 'Content Type')"
echo "  ActiveX control server: $(reg_value 'HKCR\CLSID\{5E2A7C10-3B94-4F61-9D08-A1C6E3B7F245}\InprocServer32' '')"
echo "== the system's list of programs"
wine uninstaller --list | tr -d '\r' | sed 's/^/  /'
echo "== shortcuts"
find "$WINEPREFIX/drive_c" -iname '*.lnk' -path '*Prismora*' | sed "s|$WINEPREFIX/||; s/^/  /"
echo "== plug-in folder copies"
ls -l "$browser/PLUGINS" | sed 's/^/  /'

echo "== uninstalling with the registered uninstaller"
command=$(reg_value 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Prismora 1.0 SE' UninstallString)
wine "$driver" uninstall "$command" "$(win "$shots")"

echo "== what is left"
gone=0
check() { if eval "$2"; then echo "  still there: $1"; gone=1; else echo "  gone: $1"; fi; }
check "installed files" "ls \"\$folder_unix\" 2>/dev/null | grep -qv '^UNINST\$'"
check "uninstall registration" "wine reg query 'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Prismora 1.0 SE' >/dev/null 2>&1"
check "product keys" "wine reg query 'HKLM\\SOFTWARE\\VELDRANE\\Prismora 1.0 SE' >/dev/null 2>&1"
check "file types" "wine reg query 'HKCR\\.PQO' >/dev/null 2>&1"
check "ActiveX control" "wine reg query 'HKCR\\CLSID\\{5E2A7C10-3B94-4F61-9D08-A1C6E3B7F245}' >/dev/null 2>&1"
check "shortcuts" "find \"\$WINEPREFIX/drive_c\" -iname '*.lnk' -path '*Prismora*' | grep -q ."
check "plug-in copies" "test -e \"\$browser/PLUGINS/NPPQESE.DLL\""
echo "  left for the next start of Windows: the uninstaller, its folder and the installation folder"
wine reg query 'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations | tr -d '\r' | grep -i prismora | cut -c1-110 | sed 's/^/  /'
[ "$gone" = 0 ] && echo "everything the setup installed is gone"
exit "$gone"
