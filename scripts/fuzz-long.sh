#!/usr/bin/env bash
# Runs every fuzz target long enough to pass a million executions (LUMIQO_FUZZ_RUNS), each
# from its corpus in fuzz/corpus/<target>/, and keeps what the run found that adds coverage
# in that corpus (merged, so the corpus grows only by inputs that reach something new; the
# named seeds stay as they are). Not part of ./test.sh: it takes a while.
#   scripts/fuzz-long.sh [TARGET...]   (all targets by default)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${LUMIQO_FUZZ_RUNS:-1000000}
jobs=$(nproc)

./scripts/install-deps.sh
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DLUMIQO_FUZZ=ON -DLUMIQO_TESTS=OFF -DLUMIQO_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzzers

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for fuzzer in build-fuzz/bin/fuzz_*; do targets+=("$(basename "$fuzzer")"); done
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts=$root/build-fuzz/artifacts
mkdir -p "$artifacts"
summary=()
for name in "${targets[@]}"; do
  fuzzer=build-fuzz/bin/$name
  corpus=fuzz/corpus/$name
  mkdir -p "$corpus" "$work/$name"
  before=$(find "$corpus" -type f | wc -l)
  echo "== $name: $runs executions"
  start=$(date +%s)
  if ! "$fuzzer" -runs="$runs" -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts/$name-" \
    "$work/$name" "$corpus" >"$work/$name.log" 2>&1; then
    tail -n 40 "$work/$name.log"
    echo "fuzz-long: $name failed; the input is in $artifacts/" >&2
    exit 1
  fi
  seconds=$(($(date +%s) - start))
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")
  # Keep only what adds coverage to the corpus as it stands.
  "$fuzzer" -merge=1 -max_len=65536 "$corpus" "$work/$name" >"$work/$name.merge.log" 2>&1
  after=$(find "$corpus" -type f | wc -l)
  line="$name: $executed executions in ${seconds}s, clean; corpus $before -> $after inputs"
  echo "$line"
  summary+=("$line")
done
echo "== fuzz-long summary"
printf '%s\n' "${summary[@]}"
