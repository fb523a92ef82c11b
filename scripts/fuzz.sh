#!/usr/bin/env bash
# Fuzzes the readers of untrusted bytes: builds the fuzz targets (build-fuzz/)
# and runs each for SECONDS (default 60), one after another, starting from
# the checked-in corpus (fuzz/corpus/<target>/). New corpus entries are kept
# in build-fuzz/corpus/<target>/, findings in build-fuzz/findings/<target>/,
# each with a .repro file holding the one-line command that reproduces it.
# Prints per target: runs, coverage, corpus size, findings. Exits with 1 when
# anything was found. Installs what is missing first. Run as root.
#   scripts/fuzz.sh [SECONDS] [TARGET...]      (targets: see fuzz/*.cpp)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QL_BUILD_FUZZ_DIR:-$root/build-fuzz}
seconds=${1:-60}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh [SECONDS] [TARGET...]" >&2
  exit 2
fi
shift || true

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build-fuzz.sh"

read -r -a limits < "$build/fuzz/limits"
read -r -a known < "$build/fuzz/targets"
targets=("$@")
[ "${#targets[@]}" -gt 0 ] || targets=("${known[@]}")
for t in "${targets[@]}"; do
  if [[ " ${known[*]} " != *" $t "* ]]; then
    echo "fuzz: no target $t (targets: ${known[*]})" >&2
    exit 2
  fi
done

# The targets' scratch files (the extraction's folder, the trailer's file)
# live in the build folder, where a crash may leave them.
export TMPDIR="$build/tmp"
mkdir -p "$TMPDIR"
found=0
printf '%-16s %10s %6s %8s %14s %s\n' target runs cov features corpus findings
for t in "${targets[@]}"; do
  program="$build/fuzz/fuzz_$t"
  corpus="$build/corpus/$t"
  findings="$build/findings/$t"
  log="$build/logs/$t.log"
  mkdir -p "$corpus" "$findings" "$build/logs"
  before=$(ls "$findings")
  # New inputs go to the first folder; the checked-in corpus is only read.
  nice -n 10 "$program" "${limits[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "$root/fuzz/corpus/$t" > "$log" 2>&1 || true
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  stats=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<< "$stats")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<< "$stats")
  corp=$(sed -n 's/.* corp: \([0-9]*\/[0-9]*[a-zA-Z]*\).*/\1/p' <<< "$stats")
  new=()
  for f in $(ls "$findings"); do
    [[ "$f" == *.repro ]] && continue
    grep -qxF "$f" <<< "$before" || new+=("$f")
  done
  printf '%-16s %10s %6s %8s %14s %s\n' "$t" "${runs:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "${#new[@]}"
  for f in "${new[@]}"; do
    found=1
    repro="$program ${limits[*]} $findings/$f"
    echo "$repro" > "$findings/$f.repro"
    echo "  finding: $findings/$f"
    echo "  reproduce: $repro"
  done
done
echo "logs: $build/logs/"
exit "$found"
