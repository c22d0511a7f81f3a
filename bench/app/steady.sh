# shellcheck shell=bash
# Sourced by the figure scripts: keeps the processors from halting while figures are taken
# (see vcpu_warmer.cpp), unless STEADY=0. Sets warmer to its process id, empty when off; the
# caller ends it.
start_warmer() { # BUILD
  warmer=
  if [ "${STEADY:-1}" != 0 ]; then
    "$1/bin/bench_vcpu_warmer" &
    warmer=$!
  fi
  say_warmer
}
say_warmer() {
  echo "processors kept from halting (bench_vcpu_warmer): $([ -n "$warmer" ] && echo yes || echo no)"
}
