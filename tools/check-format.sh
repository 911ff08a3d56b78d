#!/bin/sh
# Checks (or with --fix, applies) the repository's .clang-format on every C and C++ source.
set -eu
cd "$(dirname "$0")/.."
files=$(git ls-files --cached --others --exclude-standard -- '*.c' '*.cpp' '*.h')
[ -z "$files" ] && exit 0
if [ "${1:-}" = "--fix" ]; then
  # shellcheck disable=SC2086
  clang-format-14 -i $files
else
  # shellcheck disable=SC2086
  clang-format-14 --dry-run --Werror $files
  echo "format: $(echo "$files" | wc -l) files clean"
fi
