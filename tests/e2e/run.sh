#!/bin/bash
# Runs the end-to-end tests under Wine and Xvfb, in parallel workers: each has its own Xvfb
# display, and every test its own prefix and wine server. Fails (never skips) when Wine or Xvfb
# cannot start.
#   RAVAK_E2E_WORKERS=N   workers (default: cores + 2, as the tests mostly wait on Wine)
#   extra arguments go to pytest (-k NAME, a test file, -x ...)
set -euo pipefail
cd "$(dirname "$0")"
for tool in /usr/lib/wine/wine64 Xvfb xdotool xdpyinfo import; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (run make deps)" >&2; exit 1; }
done
workers="${RAVAK_E2E_WORKERS:-$(( $(nproc) + 2 ))}"
parallel=()
if [ "$workers" -gt 1 ]; then
  parallel=(-n "$workers")
fi
echo "e2e: $workers workers on $(nproc) cores, each with its own display (RAVAK_E2E_WORKERS=N to change)"
exec /usr/bin/python3 -m pytest -p no:cacheprovider -q -rs -o console_output_style=classic \
  "${parallel[@]}" "$@"
