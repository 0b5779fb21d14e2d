#!/usr/bin/env bash
# Runs Epiloom against the bundled demo site (a made-up Kestrix catalogue and
# update server on 127.0.0.1:8470), under Wine.
#
# With a usable $DISPLAY the program opens there and the script waits until it
# is closed. Without one it runs on a private Xvfb display: it waits for the
# show list (at most ~20 s), answers any message box with OK, saves a
# screenshot to build/demo-screenshot.png, prints its path and closes it all.
#
# Kept between runs: the Wine prefix build/demo-prefix (booted once) and the
# program folder build/demo-run (favourites, blacklist, language files). Magnet
# links the program hands over are written to build/demo-prefix/drive_c/demo/recorded.txt.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build="$root/build"
prefix="$build/demo-prefix"
run_dir="$build/demo-run"
port=8470
title=" Epiloom [by ardmoor] V1.6"

server_pid=""
xvfb_pid=""
app_pid=""

say() { echo "demo: $*"; }

cleanup() {
  set +e
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
    WINEPREFIX="$prefix" timeout 30 wineserver -k >/dev/null 2>&1
    wait "$app_pid" 2>/dev/null
  fi
  if [ -d "$prefix" ]; then WINEPREFIX="$prefix" timeout 30 wineserver -k >/dev/null 2>&1; fi
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

bash tools/setup.sh

say "building Epiloom.exe (preset win64)"
cmake --preset win64 >/dev/null
cmake --build --preset win64
exe="$build/win64/Epiloom.exe"
driver_exe="$build/win64/epiloom_driver.exe"
recorder_exe="$build/win64/recorder.exe"
for f in "$exe" "$driver_exe" "$recorder_exe"; do
  [ -f "$f" ] || { echo "demo: $f was not built" >&2; exit 1; }
done

# The Wine environment: no proxy (Wine would send even 127.0.0.1 through it).
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY no_proxy NO_PROXY ftp_proxy FTP_PROXY all_proxy ALL_PROXY
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8

# --- the display -----------------------------------------------------------
interactive=0
if [ -n "${DISPLAY:-}" ] && timeout 10 xdpyinfo >/dev/null 2>&1; then
  interactive=1
else
  n=97
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X$n" ] || { echo "demo: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$n"
fi

# --- the demo site ---------------------------------------------------------------
/usr/bin/python3 tools/kestrix_server.py --demo --port "$port" &
server_pid=$!
for _ in $(seq 100); do
  /usr/bin/python3 -c "import socket,sys; socket.create_connection(('127.0.0.1',$port),0.2)" 2>/dev/null && break
  kill -0 "$server_pid" 2>/dev/null || { echo "demo: the demo site did not start (port $port taken?)" >&2; exit 1; }
  sleep 0.1
done
say "demo site on http://127.0.0.1:$port/"

# --- the Wine prefix, booted once ------------------------------------------------------
if [ ! -f "$prefix/.epiloom-demo-ready" ]; then
  say "preparing the Wine prefix $prefix (once)"
  rm -rf "$prefix"
  timeout 300 wineboot -i >/dev/null 2>&1
  # Debian's Wine finds its own fonts (Marlett, Tahoma, MS Sans Serif) only here.
  cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  mkdir -p "$prefix/drive_c/demo"
  printf '%s\r\n' 'REGEDIT4' '' \
    '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' \
    '[HKEY_CLASSES_ROOT\magnet]' '@="URL:magnet"' '"URL Protocol"=""' '' \
    '[HKEY_CLASSES_ROOT\magnet\shell\open\command]' '@="\"C:\\demo\\recorder.exe\" \"%1\""' '' \
    > "$prefix/drive_c/demo/settings.reg"
  timeout 60 wine regedit /S 'C:\demo\settings.reg' >/dev/null 2>&1
  timeout 60 wineserver -w
  touch "$prefix/.epiloom-demo-ready"
fi
cp "$recorder_exe" "$prefix/drive_c/demo/recorder.exe"
# A window manager handles a real display; on Xvfb there is none, and Wine's
# unmanaged windows are the quick ones there.
managed=$([ "$interactive" = 1 ] && echo Y || echo N)
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1

mkdir -p "$run_dir"
cp "$exe" "$run_dir/Epiloom.exe"
# A first run starts with three favourites, one of them never watched, so the
# ticks and the counts show; after that the user's own lists are kept.
if [ ! -f "$run_dir/Epiloom.favorite" ]; then
  /usr/bin/python3 - "$run_dir/Epiloom.favorite" <<'PY'
import sys
sys.path.insert(0, "tools")
import demo_catalogue
shows = {s.title: s for s in demo_catalogue.build_catalogue()}
lines = []
for title, watched, quality in (("Kestrel Bay", "S01E02", "H"), ("Foxglove", "S00E00", "L"),
                                ("Hollowmere", "S01E01", "L")):
    lines.append("%s|%s>%s%s" % (title, shows[title].path().rstrip("/"), watched, quality))
open(sys.argv[1], "wb").write(("\r\n".join(lines) + "\r\n").encode("cp1252"))
PY
fi

# --- run -------------------------------------------------------------------------------
if [ "$interactive" = 1 ]; then
  say "starting Epiloom on $DISPLAY; close its window to end the demo"
  wine "$run_dir/Epiloom.exe" >/dev/null 2>&1 &
  app_pid=$!
  wait "$app_pid" || true
  app_pid=""
  exit 0
fi

drive() { timeout 30 wine "$driver_exe" "$@" 2>/dev/null; }

say "starting Epiloom on the private display $DISPLAY"
wine "$run_dir/Epiloom.exe" >/dev/null 2>&1 &
app_pid=$!
drive wait-window "$title" 20000 >/dev/null || { echo "demo: the main window did not appear" >&2; exit 1; }

# Wait for the show list, answering message boxes (new translations, no new
# episodes) on the way. Bounded: about 20 s.
deadline=$((SECONDS + 20))
status=""
while [ "$SECONDS" -lt "$deadline" ] && kill -0 "$app_pid" 2>/dev/null; do
  if drive msgbox Epiloom 0 >/dev/null; then
    say "message box: $(drive msgbox Epiloom 0 | head -c 300)"
    drive answer Epiloom ok 2000 >/dev/null || true
    continue
  fi
  if status=$(drive wait-text "$title" 1004 available 1000); then
    break
  fi
done
say "status line: ${status:-(not read)}"
sleep 0.5
shot="$build/demo-screenshot.png"
import -display "$DISPLAY" -window root "$shot"
echo "$shot"

if kill -0 "$app_pid" 2>/dev/null; then
  drive close "$title" >/dev/null || true
  for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
fi
