#!/bin/bash
# Runs one stage of the build or the tests under its name: "== NAME" as it starts, and
# "== NAME: passed in 42 s" (or failed) as it ends, so a long `make test` says where it is.
#   tools/stage.sh NAME COMMAND [ARG...]
set -uo pipefail
name="$1"
shift
printf '\n== %s\n' "$name"
start=$(date +%s)
"$@"
status=$?
elapsed=$(( $(date +%s) - start ))
if [ "$status" -eq 0 ]; then
  printf '== %s: passed in %d min %02d s\n' "$name" $(( elapsed / 60 )) $(( elapsed % 60 ))
else
  printf '== %s: FAILED (exit %d) after %d min %02d s\n' "$name" "$status" $(( elapsed / 60 )) $(( elapsed % 60 ))
fi
exit "$status"
