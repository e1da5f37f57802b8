#!/bin/sh
# The settings-store fuzz target keeps its file store in a folder named for its
# process; after a run, replaying single inputs or fuzzing, that folder must be
# gone. The seed's first byte (7) sends every input to the file store.
# Usage: scratch_folder_removed.sh <fuzz_options_store> <work folder>
set -u
target=$1
work=$2
rm -rf "$work"
mkdir -p "$work/seeds" "$work/found"
printf '\007[Options\\CGeneral]\nm_nTabSize=8\n[Other]\nkey=value\n' > "$work/seeds/store"

fail() { echo "FAIL: $*"; exit 1; }

# Runs the target with the given arguments and checks what it left behind.
check_run() {
  "$target" "$@" > "$work/log" 2>&1 &
  pid=$!
  wait "$pid" || { cat "$work/log"; fail "the fuzz target failed: $*"; }
  for base in /dev/shm "${TMPDIR:-/tmp}"; do
    left="$base/quillmark-fuzz-store-$pid"
    if [ -e "$left" ]; then
      rm -rf "$left"
      fail "$left left behind after: $*"
    fi
  done
}

check_run "$work/seeds/store"
check_run -seed=1 -runs=200 "$work/found" "$work/seeds"
echo "scratch folders removed"
