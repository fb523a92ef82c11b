# Sourced by the test and demo scripts: a fresh Wine prefix inside the
# Windows build folder, a persistent wine server and one virtual display for
# the whole run, all stopped when the script exits.
# Needs: root (the repository folder).

source "$root/scripts/machine.sh"
if ! ql_runs_32bit_programs; then ql_use_wine64 "${QL_BUILD_WIN_DIR:-$root/build-win}/wine64-bin"; fi

export WINEPREFIX="${QL_BUILD_WIN_DIR:-$root/build-win}/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

ql_small_disk="${QL_BUILD_WIN_DIR:-$root/build-win}/smalldisk"
ql_readonly_disk="${QL_BUILD_WIN_DIR:-$root/build-win}/readonlydisk"
ql_desktop_fifo="${QL_BUILD_WIN_DIR:-$root/build-win}/desktop-hold"

ql_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${ql_desktop_hold:-}" ]; then exec {ql_desktop_hold}>&-; fi
  rm -f "$ql_desktop_fifo"
  if [ -n "${ql_xvfb_pid:-}" ]; then kill "$ql_xvfb_pid" >/dev/null 2>&1 || true; fi
  if mountpoint -q "$ql_small_disk" 2>/dev/null; then umount "$ql_small_disk" 2>/dev/null || true; fi
  if mountpoint -q "$ql_readonly_disk" 2>/dev/null; then umount "$ql_readonly_disk" 2>/dev/null || true; fi
}

# A drive S: of 512 KiB for the tests of a full disk, where the machine lets
# root mount a small file system; without it those tests are skipped.
ql_map_small_disk() {
  mkdir -p "$ql_small_disk"
  if ! mountpoint -q "$ql_small_disk" 2>/dev/null; then
    mount -t tmpfs -o size=512k tmpfs "$ql_small_disk" 2>/dev/null || return 0
  fi
  rm -rf "${ql_small_disk:?}"/*
  ln -sfn "$ql_small_disk" "$WINEPREFIX/dosdevices/s:"
}

# A drive R: that cannot be written (a read-only file system) for the tests
# of a read-only destination, where the machine lets root mount one;
# without it those tests are skipped.
ql_map_readonly_disk() {
  mkdir -p "$ql_readonly_disk"
  if ! mountpoint -q "$ql_readonly_disk" 2>/dev/null; then
    mount -t tmpfs -o ro,size=64k tmpfs "$ql_readonly_disk" 2>/dev/null || return 0
  fi
  ln -sfn "$ql_readonly_disk" "$WINEPREFIX/dosdevices/r:"
}

# A network share whose name is not ASCII, \\localhost\Partagé, for the
# folder page's free space: Wine finds \\SERVER\SHARE below dosdevices/unc.
ql_map_share() {
  mkdir -p "${QL_BUILD_WIN_DIR:-$root/build-win}/share" "$WINEPREFIX/dosdevices/unc/localhost"
  ln -sfn "${QL_BUILD_WIN_DIR:-$root/build-win}/share" "$WINEPREFIX/dosdevices/unc/localhost/Partagé"
}

ql_wine_start() {
  rm -rf "$WINEPREFIX"
  local n=91
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  ql_xvfb_pid=$!
  export DISPLAY=":$n"
  trap ql_wine_stop EXIT
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  # The server and the prefix's services start here, with their output
  # away from the test runner's pipes, and stay up for the whole run.
  mkdir -p "$WINEPREFIX"
  wineserver -p
  wineboot -i >/dev/null 2>&1
  # The profile folders (Desktop, Documents, Templates...) link to the Unix
  # home by default; plain folders keep what tests write, and what they
  # read, inside the prefix.
  local link
  find "$WINEPREFIX/drive_c/users" -type l | while read -r link; do rm -f "$link" && mkdir -p "$link"; done
  # Wine draws the windows' frames itself: the virtual display has no window
  # manager, so captions show in screenshots and hiding a window never waits
  # for a manager's answer.
  ql_map_small_disk
  ql_map_readonly_disk
  ql_map_share
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine cmd /c exit >/dev/null 2>&1 || true
  ql_hold_desktop
}

# Wine closes its desktop about a second after the last program on it ends,
# and the next program that makes a window starts it again, which on the
# virtual display now and then holds that program up for ten seconds.
# Windows' desktop is always there. A console program waiting on a pipe that
# never ends keeps Wine's there too, until the server stops.
ql_hold_desktop() {
  rm -f "$ql_desktop_fifo"
  mkfifo "$ql_desktop_fifo"
  exec {ql_desktop_hold}<>"$ql_desktop_fifo"
  wine cmd /c pause <"$ql_desktop_fifo" {ql_desktop_hold}>&- >/dev/null 2>&1 &
}
