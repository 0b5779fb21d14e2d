#!/usr/bin/env bash
# Installs, as root with apt, everything the builds, the tests and the demo
# need on a Debian 12 machine. Quick when all is present already.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev file
  libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 fonts-wine xvfb x11-utils imagemagick xdotool
  transmission-daemon transmission-cli iproute2
  python3 python3-pytest
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# No service a package brings (transmission-daemon's system instance, whose
# defaults would reach out to the network) is started by the install: the
# demo starts its own daemon, on loopback only.
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' >"$policy"
  chmod 755 "$policy"
  trap 'rm -f "$policy"' EXIT
fi
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
