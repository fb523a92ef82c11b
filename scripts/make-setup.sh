#!/usr/bin/env bash
# Builds the setup program of a product folder in one command:
#   scripts/make-setup.sh PRODUCT_DIR [--version X.Y.Z.B] [-o OUT.exe]
#                         [--sign PFX --password-file FILE [--timestamp URL]]
# Checks the folder first (one line per problem, nothing written), builds
# what it needs (incremental when run again), signs the uninstaller before
# the setup carries it and then the setup, and prints a summary. OUT is
# removed first and exists again only when everything succeeded.
# Installs what is missing (run as root). QL_BUILD_DIR and QL_SETUP_BUILD_DIR
# choose the host build and the setup's Windows build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QL_BUILD_DIR:-$root/build}
setup_build=${QL_SETUP_BUILD_DIR:-$root/build-setup}

fail() {
  echo "make-setup: $*" >&2
  exit 1
}

usage="usage: make-setup.sh PRODUCT_DIR [--version X.Y.Z.B] [-o OUT.exe] [--sign PFX --password-file FILE [--timestamp URL]]"
product='' version=1.0.5.12 out=$PWD/prismora-setup.exe pfx='' password_file='' timestamp=''
while [ $# -gt 0 ]; do
  case $1 in
    --version) [ $# -ge 2 ] || fail "$usage"; version=$2; shift 2 ;;
    -o) [ $# -ge 2 ] || fail "$usage"; out=$2; shift 2 ;;
    --sign) [ $# -ge 2 ] || fail "$usage"; pfx=$2; shift 2 ;;
    --password-file) [ $# -ge 2 ] || fail "$usage"; password_file=$2; shift 2 ;;
    --timestamp) [ $# -ge 2 ] || fail "$usage"; timestamp=$2; shift 2 ;;
    -*) fail "unknown option $1; $usage" ;;
    *) [ -z "$product" ] || fail "$usage"; product=$1; shift ;;
  esac
done
[ -n "$product" ] || fail "$usage"
[[ $version =~ ^[0-9]{1,5}(\.[0-9]{1,5}){3}$ ]] || fail "the version must be four numbers, as 1.2.0.7: $version"
for n in ${version//./ }; do [ "$n" -le 65535 ] || fail "each number of the version must be 0 to 65535: $version"; done
if [ -n "$pfx$password_file$timestamp" ]; then
  [ -n "$pfx" ] && [ -n "$password_file" ] || fail "--sign needs both the PFX and --password-file"
  [ -r "$pfx" ] && [ -f "$pfx" ] || fail "cannot read the PFX file $pfx"
  [ -r "$password_file" ] && [ -f "$password_file" ] || fail "cannot read the password file $password_file"
  pfx=$(realpath "$pfx")
  password_file=$(realpath "$password_file")
fi
case $out in /*) ;; *) out=$PWD/$out ;; esac
mkdir -p "$(dirname "$out")"
rm -f "$out"

# The same product folder and sources give the same bytes wherever and
# whenever they are built: archive dates are local times, so the zone is fixed.
export TZ=UTC

bash "$root/scripts/install-deps.sh" >/dev/null
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target qlcat >/dev/null
qlcat=$build/tools/qlcat

if ! figures=$("$qlcat" check "$product" 2>&1); then
  echo "$figures" | sed 's/^qlcat: /make-setup: /' >&2
  fail "the product folder is refused; nothing was written"
fi
product=$(realpath "$product")

signed_uninstaller=''
[ -z "$pfx" ] || signed_uninstaller=$setup_build/app/signed/UNINST.EXE
built=$(mktemp -d)
trap 'rm -rf "$built"' EXIT
if ! cmake -S "$root" -B "$setup_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DQL_HOST_QLCAT="$qlcat" \
    -DQL_PAYLOAD_DIR="$product" -DQL_PRODUCT_VERSION="$version" \
    -DQL_CARRIED_UNINSTALLER="$signed_uninstaller" >"$built/log" 2>&1; then
  cat "$built/log" >&2
  fail "the build could not be configured"
fi

# sign IN OUT: an Authenticode signature (SHA-256) with the maker's PFX; the
# password is read from its file by osslsigncode itself.
sign() {
  local args=(sign -pkcs12 "$pfx" -readpass "$password_file" -h sha256 -n "Prismora SE Setup")
  [ -z "$timestamp" ] || args+=(-ts "$timestamp")
  rm -f "$2"
  if ! osslsigncode "${args[@]}" -in "$1" -out "$2" >"$built/sign.log" 2>&1; then
    rm -f "$2"
    sed 's/^/  /' "$built/sign.log" >&2
    fail "signing $(basename "$1") failed: a wrong password, or a PFX file that is not one; nothing was written"
  fi
}

build_target() {
  if ! nice cmake --build "$setup_build" -j "$(nproc)" --target "$1" >"$built/log" 2>&1; then
    tail -n 40 "$built/log" >&2
    fail "the build of $1 failed"
  fi
}

app=$setup_build/app
if [ -n "$pfx" ]; then
  build_target prismora-uninst
  mkdir -p "$(dirname "$signed_uninstaller")"
  sign "$app/prismora-uninst.exe" "$built/UNINST.EXE"
  # Replaced only when the signature changed, so that a build run again
  # with the same files does not pack the uninstaller anew.
  cmp -s "$built/UNINST.EXE" "$signed_uninstaller" || mv "$built/UNINST.EXE" "$signed_uninstaller"
fi
build_target prismora-setup
if [ -n "$pfx" ]; then
  sign "$app/prismora-setup.exe" "$built/setup.exe"
else
  cp "$app/prismora-setup.exe" "$built/setup.exe"
fi
mv "$built/setup.exe" "$out.partial"
mv "$out.partial" "$out"

read -r files bytes < <(echo "$figures" | sed -n 's/^ok: \([0-9]*\) files, \([0-9]*\) bytes$/\1 \2/p')
archive=$(stat -c %s "$app/PQSETUP.qlc")
echo "make-setup: $files files, $bytes bytes; archive $archive bytes ($(awk -v a="$archive" -v b="$bytes" \
  'BEGIN { printf "%.1f", b ? 100 * a / b : 0 }')% of the files)"
echo "make-setup: $([ -n "$pfx" ] && echo signed || echo unsigned) setup $out"
echo "make-setup: SHA-256 $(sha256sum "$out" | cut -d' ' -f1)"
