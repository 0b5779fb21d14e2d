#!/usr/bin/env bash
# Every test of the project, from a fresh Debian 12 machine: installs what is
# missing, builds the native core with its unit tests (also under
# ThreadSanitizer), the fuzz targets and benchmarks, the shipped 32-bit exe,
# and the 64-bit exe that the end-to-end tests run under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

started=$SECONDS
step() { printf '\n=== [%dm%02ds] %s\n' $(((SECONDS - started) / 60)) $(((SECONDS - started) % 60)) "$*"; }

step "Installing what the builds and tests need"
bash tools/setup.sh

step "Native unit tests (the benchmarks are built too; run them from build/bench for figures)"
cmake --workflow --preset native

step "Native unit tests under ThreadSanitizer"
cmake --workflow --preset native-tsan

step "Fuzz targets (built, then a short run of each)"
cmake --preset fuzz >/dev/null
cmake --build build/fuzz
# Each starts from a scratch copy of its seeds, so the repository's corpus
# never grows (tools/fuzz_campaign.sh runs the long campaign). Two run at once.
smoke_run() {
  local fuzzer=$1 name corpus
  name=$(basename "$fuzzer")
  corpus=$(mktemp -d)
  [ -d "tests/fuzz/corpus/$name" ] && cp "tests/fuzz/corpus/$name"/* "$corpus"/
  if ! "$fuzzer" -max_total_time=5 -artifact_prefix=build/fuzz/ "$corpus" >/dev/null 2>"$fuzzer.log"; then
    cat "$fuzzer.log"
    rm -rf "$corpus"
    return 1
  fi
  rm -rf "$corpus"
  echo "$name: no finding in 5 s"
}
export -f smoke_run
find build/fuzz/tests -maxdepth 1 -name '*_fuzz' -type f -perm -u+x -print0 | sort -z |
  xargs -0 -n 1 -P 2 bash -c 'smoke_run "$1"' _

step "Shipped 32-bit Epiloom.exe"
# Only the program: the test tools and Windows-side checks run as x86_64 builds.
cmake --preset win32 >/dev/null
cmake --build build/win32 --target Epiloom
# These machines cannot run it: its headers are checked instead (PE32 GUI,
# relocatable with ASLR and NX, large-address-aware, system DLLs only), and
# the checker shows that it reports each of them missing from a copy.
python3 tools/check_pe.py --self-test build/win32/Epiloom.exe
# The release archive, from the exe just checked (README: "Getting it").
version=$(sed -n 's/^project(Epiloom VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
rm -f "build/win32/Epiloom-$version-win32.zip"
cpack --config build/win32/CPackConfig.cmake >/dev/null
python3 tools/check_release_zip.py "build/win32/Epiloom-$version-win32.zip" build/win32/Epiloom.exe

step "End-to-end tests of the 64-bit Epiloom.exe under Wine"
cmake --workflow --preset win64-e2e

step "All tests passed"
