#!/usr/bin/env bash
# Installs what is missing, builds (normal, and AddressSanitizer + UBSan), runs every test
# through ctest, and builds and runs the fuzzers, each for a bounded time.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
jobs=$(nproc)

./scripts/install-deps.sh

# A sound server with a null sink for the tests that record what was played.
# shellcheck source=scripts/sound-server.sh
. scripts/sound-server.sh
start_sound_server || echo "test.sh: no PulseAudio server; tests that need one will say they were skipped"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

configure() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}
run_tests() {
  echo "== test $1"
  (cd "$1" && ctest --output-on-failure -j "$jobs" --timeout 300)
}

# The tests spend much of their time waiting (for servers, windows, sound), so while one build's
# tests run, the next builds go on beside them at the lowest priority: they take only the
# processor time the tests leave. Their output goes to a log, shown when they fail.
background_pid=
background_log=
start_background_build() { # LOG WHAT COMMAND
  background_log=$1
  echo "== build $2 (beside the tests, output in $1)"
  setsid nice -n 19 bash -c "$3" >"$background_log" 2>&1 &
  background_pid=$!
}
finish_background_build() {
  local status=0
  wait "$background_pid" || status=$?
  background_pid=
  if [ "$status" -ne 0 ]; then
    tail -n 60 "$background_log"
    echo "test.sh: a build failed; its whole output: $background_log"
    exit 1
  fi
  echo "== built (output in $background_log)"
}
stop_everything() {
  # The build is a session of its own: stop its compilers too.
  [ -z "$background_pid" ] || kill -- "-$background_pid" 2>/dev/null || true
  stop_sound_server
}
trap stop_everything EXIT

# Line tables are all the tests' backtraces and the sanitizers' reports need; full debug
# information made every compile and link a quarter slower.
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
configure build-asan -DCMAKE_BUILD_TYPE=Debug -DLUMIQO_SANITIZE=ON -DLUMIQO_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1
configure build-fuzz -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DLUMIQO_FUZZ=ON -DLUMIQO_TESTS=OFF -DLUMIQO_BENCH=OFF

echo "== build build"
# What the tests need first; the benchmarks come beside the tests, before the next folder.
cmake --build build -j "$jobs" --target src/all server/all tools/all tests/all
start_background_build build-asan/build.log "the benchmarks, then build-asan" \
  "cmake --build build -j $jobs && cmake --build build-asan -j $jobs"
run_tests build
finish_background_build
# The fuzzers run for a bounded time each, beside the sanitizer build's tests.
start_background_build build-fuzz/build.log "build-fuzz, then the fuzzers" \
  "cmake --build build-fuzz -j $jobs --target fuzzers && echo '== fuzz' && scripts/fuzz-briefly.sh build-fuzz"
run_tests build-asan
finish_background_build
sed -n '/^== fuzz$/,$p' build-fuzz/build.log
echo "== all tests passed"
