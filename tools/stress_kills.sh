#!/usr/bin/env bash
# Kill stress under Wine: Epiloom.exe killed (SIGKILL) at random moments around
# the end-of-run save, the session-end save, a translation download and the
# first start's English file, and the moment each write begins; every list,
# choice and language file must be left old or new, whole.
#   tools/stress_kills.sh [BUILD_DIR] [--kills 15] [--on-write 2] [--seed 10] [--max-seconds 900]
# BUILD_DIR: a Windows build with the e2e settings (default build/win64-e2e);
# what it lacks is built first. Its addresses give the fixture site's port.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/win64-e2e
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then build=$1; shift; fi
[ -f "$build/CMakeCache.txt" ] || { echo "$build is not configured (cmake --preset win64-e2e)" >&2; exit 2; }
cmake --build "$build" --target Epiloom epiloom_driver recorder >/dev/null
# A hard stop well past the script's own time limit, should Wine hang.
exec timeout --signal=TERM --kill-after=60 1800 /usr/bin/python3 tools/stress_kills.py --build "$build" "$@"
