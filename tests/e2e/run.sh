#!/bin/bash
# Runs the end-to-end tests under Wine and Xvfb. Fails (never skips) when Wine or Xvfb
# cannot start.
set -euo pipefail
cd "$(dirname "$0")"
for tool in /usr/lib/wine/wine64 Xvfb xdotool xdpyinfo import; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (run make deps)" >&2; exit 1; }
done
exec /usr/bin/python3 -m pytest -p no:cacheprovider -q -rs "$@"
