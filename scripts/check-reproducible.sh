#!/usr/bin/env bash
# Builds the unsigned setup of a product folder twice, from nothing, in two
# temporary folders of different names and at different times, and compares
# the two byte for byte; prints the first difference if there is one.
#   scripts/check-reproducible.sh PRODUCT_DIR [--version X.Y.Z.B]
# Exit status 0 when the two are the same. Takes a few minutes: two whole
# builds of the setup program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ $# -ge 1 ] || { echo "usage: check-reproducible.sh PRODUCT_DIR [--version X.Y.Z.B]" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# build NAME: one build in $work/NAME, its setup in $work/NAME.exe.
build() {
  local name=$1
  shift
  echo "check-reproducible: building in $work/$name"
  QL_BUILD_DIR=$work/$name/build QL_SETUP_BUILD_DIR=$work/$name/build-setup \
    bash "$root/scripts/make-setup.sh" "$@" -o "$work/$name.exe" | sed 's/^/  /'
}
first=one
second=second-build-elsewhere
build "$first" "$@"
sleep 2  # the second build at another time, whatever the speed of the first
build "$second" "$@"

if cmp -s "$work/$first.exe" "$work/$second.exe"; then
  echo "check-reproducible: the two setups are the same: $(sha256sum "$work/$first.exe" | cut -d' ' -f1)"
  exit 0
fi
echo "check-reproducible: the two setups differ" >&2
cmp "$work/$first.exe" "$work/$second.exe" >&2 || true
offset=$(cmp "$work/$first.exe" "$work/$second.exe" | sed -n 's/.*byte \([0-9]*\),.*/\1/p')
if [ -n "$offset" ]; then
  start=$(( offset > 32 ? offset - 32 : 0 ))
  for name in "$first" "$second"; do
    echo "$name, from byte $((start + 1)):" >&2
    od -A d -t x1z -j "$start" -N 64 "$work/$name.exe" >&2
  done
fi
exit 1
