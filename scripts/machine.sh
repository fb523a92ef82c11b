# Sourced by the build, test and demo scripts: what this machine can run.
# Some machines run no 32-bit program at all (their kernel's IA-32
# emulation is off): Wine's 32-bit loader cannot start there, and the
# Windows tests run the same code built for 64-bit Windows under Wine's
# 64-bit loader instead.

ql_runs_32bit_programs() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

# Puts a "wine" first on PATH that starts Wine's 64-bit loader, in Folder.
ql_use_wine64() {
  local folder=$1 name
  mkdir -p "$folder"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$folder/$name"
    chmod +x "$folder/$name"
  done
  export PATH="$folder:$PATH"
}
