#!/usr/bin/env bash
# Kills a favourites rewrite at random points, again and again, and checks after every kill
# that the favourites file is whole: exactly one of the contents the rewrites make (the old
# one or the new one), never a mixture, a truncation or nothing.
#   favourites_kill_test.sh REWRITER [KILLS]   (KILLS defaults to 1000)
set -euo pipefail
rewriter=$1
kills=${2:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$rewriter" --expected "$work/expected"
mkdir -p "$work/prog/inc"
cp "$work/expected/expected-2.dat" "$work/prog/inc/mymusiclist.dat"
file=$work/prog/inc/mymusiclist.dat

# The loop runs few programs of its own (the machine may be busy): files are read and compared
# by the shell, and it sleeps by waiting on a pipe nobody writes.
declare -A expected=()
for path in "$work"/expected/expected-*.dat; do
  IFS= read -r -d '' content <"$path" || true
  expected[$(basename "$path")]=$content
done
mkfifo "$work/sleep"
exec {sleeper}<>"$work/sleep"

coproc REWRITER { exec "$rewriter" --serve "$work/prog"; }
mid_run=0 total_rewrites=0 leftovers=0
declare -A seen=()
for ((i = 1; i <= kills; i++)); do
  echo go >&"${REWRITER[1]}"
  read -r -t 60 pid <&"${REWRITER[0]}"
  # Up to 80 ms: a rewrite takes some milliseconds (it syncs the file to the disk), so the
  # kills land anywhere in the first few rewrites, the first one's start included.
  printf -v delay '0.%03d' $((RANDOM % 80))
  read -r -t "$delay" -u "$sleeper" || true
  kill -KILL "$pid"
  read -r -t 60 rewrites <&"${REWRITER[0]}"
  content='<missing>'
  [ -e "$file" ] && { IFS= read -r -d '' content <"$file" || true; }
  found=
  for name in "${!expected[@]}"; do
    # The shell's text stops at a zero byte: the match is confirmed byte for byte.
    if [ "$content" == "${expected[$name]}" ] && cmp -s "$file" "$work/expected/$name"; then
      found=$name
      break
    fi
  done
  if [ -z "$found" ]; then
    echo "kill $i (after $rewrites rewrites): the favourites file is none of the contents the rewrites make" >&2
    ls -l "$work/prog/inc" >&2
    exit 1
  fi
  seen[$found]=$((${seen[$found]:-0} + 1))
  if [ "$rewrites" -gt 0 ]; then
    mid_run=$((mid_run + 1))
    total_rewrites=$((total_rewrites + rewrites))
  fi
  # A kill between writing and renaming may leave the unfinished copy beside the file.
  for stale in "$work"/prog/inc/mymusiclist.dat?*; do
    [ -e "$stale" ] || continue
    leftovers=$((leftovers + 1))
    rm -f "$stale"
  done
done
exec {REWRITER[1]}>&-
wait
echo "favourites kill test: $kills kills, $mid_run after at least one finished rewrite" \
  "($total_rewrites rewrites finished in all); the file was always whole" \
  "(${seen[*]@K}); $leftovers kills left an unfinished copy beside it"
