#!/usr/bin/env bash
# Runs every fuzzer of a build folder for a bounded time each (LUMIQO_FUZZ_SECONDS, default 20),
# on a copy of its seed corpus in fuzz/corpus/<target>/, as many at a time as there are cores.
# Each fuzzer's output goes to FOLDER/NAME.log; the last lines of each are printed. Exits 1
# when a fuzzer found a fault. ./test.sh runs it; scripts/fuzz-long.sh is the long run.
#   scripts/fuzz-briefly.sh [FOLDER]   (default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build-fuzz}
seconds=${LUMIQO_FUZZ_SECONDS:-20}
jobs=$(nproc)

fuzz_one() {
  local fuzzer=$1 name corpus status=0
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
  "$fuzzer" -max_total_time="$seconds" -max_len=65536 -print_final_stats=0 "$corpus" \
    >"$folder/$name.log" 2>&1 || status=$?
  rm -rf "$corpus"
  return "$status"
}

shopt -s nullglob
fuzzers=("$folder"/bin/fuzz_*)
[ ${#fuzzers[@]} -gt 0 ] || { echo "fuzz-briefly: no fuzzers in $folder/bin" >&2; exit 1; }
failed=0
# Each runs for the same time on one core: a batch of as many as there are cores at a time.
for ((i = 0; i < ${#fuzzers[@]}; i += jobs)); do
  pids=()
  for fuzzer in "${fuzzers[@]:i:jobs}"; do
    fuzz_one "$fuzzer" &
    pids+=($!)
  done
  for k in "${!pids[@]}"; do
    name=$(basename "${fuzzers[i + k]}")
    status=0
    wait "${pids[k]}" || status=$?
    echo "-- $name for ${seconds}s"
    tail -n 2 "$folder/$name.log"
    [ "$status" -eq 0 ] || { echo "fuzz-briefly: $name failed (status $status): $folder/$name.log"; failed=1; }
  done
done
exit "$failed"
