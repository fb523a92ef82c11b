#!/usr/bin/env bash
# The maker's command end to end: each refusal of the product folder with its
# message and no setup left; a setup signed with a throwaway certificate whose
# signature verifies, and so does the uninstaller it carries and installs; a
# wrong password fails and leaves no setup. Everything below a temporary
# folder; QL_BUILD_DIR names a host build to reuse (its qlcat).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QL_SETUP_BUILD_DIR=$work/build-setup
failures=0
passes=0
exec 3>&1  # the verdicts, whatever a checked command's output is sent to

check() {  # check WHAT COMMAND...: counts a failure when COMMAND fails
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what" >&3
    passes=$((passes + 1))
  else
    echo "FAILED: $what" >&3
    failures=$((failures + 1))
  fi
}

# refused NAME FOLDER MESSAGE...: make-setup refuses FOLDER with every
# MESSAGE line, exits non-zero and leaves no setup (a stale one is removed).
refused() {
  local name=$1 folder=$2
  shift 2
  echo stale >"$work/out.exe"
  local status=0
  bash "$root/scripts/make-setup.sh" "$folder" -o "$work/out.exe" >"$work/stdout" 2>"$work/stderr" || status=$?
  check "$name: non-zero exit" test "$status" -ne 0
  check "$name: no setup left" test ! -e "$work/out.exe"
  for line in "$@" "make-setup: the product folder is refused; nothing was written"; do
    check "$name: says '$line'" grep -qxF -- "$line" "$work/stderr"
  done
}

product=$work/product
mkdir -p "$product/Data"
for name in PQENGINE.EXE AXPQENG.DLL NPPQESE.DLL README.TXT; do
  head -c 20000 /dev/urandom >"$product/$name"
done
echo "clips" >"$product/Data/clip.swf"

refused "missing folder" "$work/nowhere" "make-setup: $work/nowhere: no such folder"
mkdir "$work/empty"
refused "empty folder" "$work/empty" "make-setup: $work/empty: the folder holds no file"
cp -r "$product" "$work/bad"
rm "$work/bad/PQENGINE.EXE" "$work/bad/AXPQENG.DLL" "$work/bad/NPPQESE.DLL" "$work/bad/README.TXT"
touch "$work/bad/COM1.txt" "$work/bad/a:b" "$work/bad/$(printf '\xce\xb1')"
truncate -s 3G "$work/bad/Data/huge.dat"
refused "bad folder" "$work/bad" \
  "make-setup: PQENGINE.EXE: missing at the top of the folder (the runtime)" \
  "make-setup: AXPQENG.DLL: missing at the top of the folder (the ActiveX control)" \
  "make-setup: NPPQESE.DLL: missing at the top of the folder (the browser plug-in)" \
  "make-setup: README.TXT: missing at the top of the folder (the read-me)" \
  "make-setup: COM1.txt: a name the installer refuses (a colon, \"..\" or a device name such as CON or COM1)" \
  "make-setup: a:b: a name the installer refuses (a colon, \"..\" or a device name such as CON or COM1)" \
  "make-setup: $(printf '\xce\xb1'): a character outside the ANSI code page (Windows-1252)" \
  "make-setup: Data/huge.dat: 3221225472 bytes, more than the archive holds (2 GiB)" \
  "make-setup: the files add up to 3221225478 bytes, more than the archive holds (2 GiB)"

# A throwaway code-signing certificate, its PFX and password file.
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Throwaway Maker" 2>/dev/null
printf 'the right password\n' >"$work/password"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/maker.pfx" \
  -passout "file:$work/password"

signed=$work/signed/prismora-setup.exe
status=0
bash "$root/scripts/make-setup.sh" "$product" --version 2.1.0.3 -o "$signed" --sign "$work/maker.pfx" \
  --password-file "$work/password" >"$work/stdout" 2>"$work/stderr" || status=$?
cat "$work/stdout" "$work/stderr"
check "signed build succeeds" test "$status" -eq 0
check "summary names the signed setup" grep -qxF "make-setup: signed setup $signed" "$work/stdout"
check "summary counts the files" grep -q "^make-setup: 5 files, 80006 bytes; archive [0-9]* bytes" "$work/stdout"
check "summary shows the SHA-256" grep -qxF "make-setup: SHA-256 $(sha256sum "$signed" | cut -d' ' -f1)" "$work/stdout"
check "no password in the output" bash -c '! grep -q "right password" "$0" "$1"' "$work/stdout" "$work/stderr"
check "no password in the build folder" bash -c '! grep -rqa "right password" "$0"' "$QL_SETUP_BUILD_DIR"
check "the setup's signature verifies" osslsigncode verify -CAfile "$work/cert.pem" -in "$signed" >"$work/verify" 2>&1

# The uninstaller the setup installs: the one entry of its PQUNINST resource.
python3 "$root/tests/support/pe_resource.py" "$signed" PQUNINST "$work/uninst.qlc"
"${QL_BUILD_DIR:-$root/build}/tools/qlcat" extract "$work/uninst.qlc" "$work/uninst" >/dev/null
check "the installed uninstaller's signature verifies" \
  osslsigncode verify -CAfile "$work/cert.pem" -in "$work/uninst/UNINST.EXE" >"$work/verify" 2>&1

printf 'not the password\n' >"$work/wrong"
status=0
bash "$root/scripts/make-setup.sh" "$product" --version 2.1.0.3 -o "$signed" --sign "$work/maker.pfx" \
  --password-file "$work/wrong" >"$work/stdout" 2>"$work/stderr" || status=$?
check "a wrong password fails" test "$status" -ne 0
check "a wrong password says so" grep -q "^make-setup: signing prismora-uninst.exe failed: a wrong password" "$work/stderr"
check "a wrong password leaves no setup" test ! -e "$signed"
check "a wrong password leaves no partial file" test -z "$(ls -A "$work/signed")"

echo "make_setup_test: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
