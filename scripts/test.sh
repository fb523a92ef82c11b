#!/usr/bin/env bash
# Runs every test: the host build's natively, the fuzz corpus through the
# fuzz targets, then the Windows build's under Wine with a fresh prefix and a
# virtual display. Installs what is missing and builds first. Run as root.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QL_BUILD_DIR:-$root/build}
build_win=${QL_BUILD_WIN_DIR:-$root/build-win}
build_fuzz=${QL_BUILD_FUZZ_DIR:-$root/build-fuzz}

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

# Local times are checked away from UTC, where a mix-up of local and
# universal time would show.
export TZ=${TZ:-America/New_York}

echo "== host tests"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"

# Every checked-in fuzz input, once through every fuzz target, under the
# address and undefined-behaviour sanitizers: a crash or a report fails.
echo "== fuzz corpus replay"
bash "$root/scripts/build-fuzz.sh"
ctest --test-dir "$build_fuzz" -L fuzz --output-on-failure -j "$(nproc)"

source "$root/scripts/machine.sh"
win_jobs=$(nproc)
if ql_runs_32bit_programs; then
  echo "== Windows tests under Wine"
else
  # Under the 64-bit loader the window and file tests run one at a time:
  # side by side they were seen to disturb each other's timing.
  win_jobs=1
  # The shipped 32-bit build was built above; its code runs here built for
  # 64-bit Windows. Its link guard's tests run no program: they run here.
  echo "== the shipped 32-bit build's link guard"
  ctest --test-dir "$build_win" -R '^app_link_guard_' --output-on-failure
  echo "== Windows tests under Wine (64-bit build: this machine runs no 32-bit program)"
  build_win=${QL_BUILD_WIN64_DIR:-$root/build-win64}
  export QL_BUILD_WIN_DIR=$build_win
fi
source "$root/scripts/wine-session.sh"
ql_wine_start
ctest --test-dir "$build_win" --output-on-failure -j "$win_jobs"

# The maker's command end to end (its own build of the setup, below a
# temporary folder): the folder check's refusals and signing.
echo "== the maker's command"
QL_BUILD_DIR=$build bash "$root/tests/make_setup_test.sh"
