#!/usr/bin/env bash
# Benchmark: how long the main window takes to list 10, 1,000 and 10,000 shows
# (100 favourites) under Wine, from the window's appearance to the status line's
# "<n> Kestrix Shows available:". Prints figures; it is not a test.
#
#   bash tools/bench_show_list.sh [BUILD_DIR] [--before GIT_REV]
#
# BUILD_DIR is a Windows x86_64 build made for the end-to-end tests (preset
# win64-e2e or a copy on another port); without it the script configures and
# builds build/bench-show-list on port $PORT (default 18490). With --before,
# the Epiloom.exe of that revision (git archive) is built beside it and timed
# first, so one run prints the figures of both. SIZES (default 10,1000,10000)
# and FAVOURITES (default 100) can be set in the environment. The whole run is
# bounded by BENCH_TIME_LIMIT seconds (default 900); Xvfb and every Wine
# session it starts are ended by their ids, also on Ctrl-C or the time limit.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=""
before=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --before) before="$2"; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) build="$1"; shift ;;
  esac
done

port=${PORT:-18490}
jobs=${JOBS:-2}
if [[ -z "$build" ]]; then
  build="$repo/build/bench-show-list"
  cmake -S "$repo" -B "$build" -G Ninja --toolchain "$repo/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DEPILOOM_SITE_URL="http://127.0.0.1:$port/" -DEPILOOM_UPDATE_HOST="127.0.0.1:$port" \
    -DEPILOOM_HOME_URL="http://127.0.0.1:$port/epiloom/" -DEPILOOM_DOWNLOAD_TIMEOUT_MS=1500 \
    -DEPILOOM_E2E_FIXTURE_UPDATER=ON >/dev/null
  cmake --build "$build" -j"$jobs" --target Epiloom epiloom_driver recorder >/dev/null
fi
build=$(cd "$build" && pwd)

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
site_url=$(cache_value EPILOOM_SITE_URL)
update_host=$(cache_value EPILOOM_UPDATE_HOST)
home_url=$(cache_value EPILOOM_HOME_URL)
for f in Epiloom.exe epiloom_driver.exe recorder.exe; do
  [[ -f "$build/$f" ]] || { echo "no $build/$f: build the targets Epiloom epiloom_driver recorder" >&2; exit 1; }
done

programs=()
if [[ -n "$before" ]]; then
  # The same settings as BUILD_DIR, on the sources of that revision.
  old="$build/bench-before"
  rm -rf "$old/src" && mkdir -p "$old/src"
  git -C "$repo" archive "$before" | tar -x -C "$old/src"
  cmake -S "$old/src" -B "$old/build" -G Ninja --toolchain "$repo/cmake/mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DEPILOOM_SITE_URL="$site_url" -DEPILOOM_UPDATE_HOST="$update_host" \
    -DEPILOOM_HOME_URL="$home_url" -DEPILOOM_DOWNLOAD_TIMEOUT_MS=1500 -DEPILOOM_E2E_FIXTURE_UPDATER=ON >/dev/null
  cmake --build "$old/build" -j"$jobs" --target Epiloom >/dev/null
  programs+=("before=$old/build/Epiloom.exe")
fi
programs+=("after=$build/Epiloom.exe")

export EPILOOM_E2E_SITE_URL="$site_url" EPILOOM_E2E_UPDATE_HOST="$update_host" EPILOOM_E2E_HOME_URL="$home_url"
export PYTHONDONTWRITEBYTECODE=1
timeout -s TERM -k 30 "${BENCH_TIME_LIMIT:-900}" \
  /usr/bin/python3 "$repo/tools/bench_show_list.py" --driver "$build/epiloom_driver.exe" \
    --recorder "$build/recorder.exe" --sizes "${SIZES:-10,1000,10000}" --favourites "${FAVOURITES:-100}" \
    "${programs[@]}"
