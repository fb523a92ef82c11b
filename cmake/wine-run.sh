#!/usr/bin/env bash
# Runs a Windows program under Wine with the build's own prefix.
# WINEPREFIX defaults to <build>/wineprefix, found from the program's path.
# Without a DISPLAY, a virtual one is started for the run.
set -u
prog=$1; shift
if [ -z "${WINEPREFIX:-}" ]; then
  dir=$(cd "$(dirname "$prog")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ "$dir" = / ] && dir=$(cd "$(dirname "$prog")" && pwd)
  export WINEPREFIX="$dir/wineprefix"
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$prog" "$@"
fi
exec wine "$prog" "$@"
