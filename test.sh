#!/usr/bin/env bash
# Installs what is missing, builds (normal, and AddressSanitizer + UBSan), runs every test
# through ctest, then builds the fuzzers and runs each for a bounded time.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
jobs=$(nproc)

./scripts/install-deps.sh

# A sound server with a null sink for the tests that record what was played.
# shellcheck source=scripts/sound-server.sh
. scripts/sound-server.sh
start_sound_server || echo "test.sh: no PulseAudio server; tests that need one will say they were skipped"
trap stop_sound_server EXIT

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

build_and_test() {
  local dir=$1; shift
  echo "== build $dir"
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  echo "== test $dir"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 300)
}

build_and_test build -DCMAKE_BUILD_TYPE=RelWithDebInfo
build_and_test build-asan -DCMAKE_BUILD_TYPE=Debug -DLUMIQO_SANITIZE=ON -DLUMIQO_BENCH=OFF

echo "== fuzz"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DLUMIQO_FUZZ=ON -DLUMIQO_TESTS=OFF -DLUMIQO_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzzers
fuzz_seconds=${LUMIQO_FUZZ_SECONDS:-20}
shopt -s nullglob
for fuzzer in build-fuzz/bin/fuzz_*; do
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
  echo "-- $name for ${fuzz_seconds}s"
  "$fuzzer" -max_total_time="$fuzz_seconds" -max_len=65536 -print_final_stats=0 "$corpus" 2>&1 | tail -n 2
  rm -rf "$corpus"
done
echo "== all tests passed"
