#!/usr/bin/env bash
# How often a fresh Wine session fails for Wine's own reasons on this machine,
# with address randomisation on (plain `wine`) and off (`setarch -R wine`).
#   tools/measure_wine_starts.sh [BUILD_DIR] [--sessions 300] [--processes 0] [--heap-samples 0]
#                                [--max-seconds 1500] [--keep-logs DIR]
# BUILD_DIR: a Windows x86_64 build (default build/win64-e2e); its driver is
# built first when missing. Prints the figures; see tools/measure_wine_starts.py.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/win64-e2e
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then build=$1; shift; fi
[ -f "$build/CMakeCache.txt" ] || { echo "$build is not configured (cmake --preset win64-e2e)" >&2; exit 2; }
cmake --build "$build" --target epiloom_driver >/dev/null
# A hard stop past the script's own time limit, should Wine hang.
exec timeout --signal=TERM --kill-after=60 3600 /usr/bin/python3 tools/measure_wine_starts.py \
  --driver "$build/epiloom_driver.exe" "$@"
