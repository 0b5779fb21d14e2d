#!/usr/bin/env bash
# Runs Epiloom against the bundled demo site (a made-up Kestrix catalogue and
# update server on 127.0.0.1:8470), under Wine, with a real torrent client
# (transmission-daemon, on loopback only) as the system's magnet handler.
#
# The program goes through its whole cycle: the show list, the episode check
# of the three demo favourites, the download window that writes one shortcut
# per new episode and asks whether to launch them, and on Yes the magnet links
# go to the torrent client. The client's torrent list is printed at the end.
#
# With a usable $DISPLAY the program opens there and the user drives it; the
# script waits until it is closed. Without one it runs on a private Xvfb
# display and answers the program itself: OK to notices, Yes to the launch
# question. It saves screenshots (the download window at work, its question,
# then the main window with the list filled), prints their paths and closes
# the program.
#
# Every run starts afresh: a new program folder build/demo-run seeded with the
# three favourites, each with episodes it has not seen, and a new client
# folder build/demo-transmission (settings, torrents, its log). The Wine
# prefix build/demo-prefix is booted once and kept. Everything the script
# starts (the demo site, Xvfb, Wine, the torrent client) is stopped by its own
# process ID at the end, also on Ctrl-C or an error.
#
# Wine's output goes to build/demo-wine.log (the program) and
# build/demo-driver.log (the driver). A Wine command that Wine itself broke at
# its start (its desktop process failed, the shared user data could not be
# mapped, the display could not be opened: tools/wine_session.py) is said with
# Wine's lines and made again, at most 3 times: the program after ending the
# prefix's Wine session (wineserver -k), a driver command by itself, since
# ending the session would end the program it works.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build="$root/build"
prefix="$build/demo-prefix"
run_dir="$build/demo-run"
client_dir="$build/demo-transmission"
port=8470        # the demo site and update server
rpc_port=8471    # the torrent client's remote control
peer_port=8472   # the torrent client's peer port (loopback only)
# The window title carries the version of project() in CMakeLists.txt.
version="$(sed -n 's/^project(Epiloom VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
title=" Epiloom [by ardmoor] V$version"

server_pid=""
xvfb_pid=""
app_pid=""
client_pid=""

say() { echo "demo: $*"; }
fail() { echo "demo: $*" >&2; exit 1; }

stop_pid() {  # stop_pid PID SECONDS: TERM, then KILL when it outlives the grace time
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq $(($2 * 10))); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}

cleanup() {
  set +e
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
    WINEPREFIX="$prefix" timeout 30 wineserver -k >/dev/null 2>&1
    wait "$app_pid" 2>/dev/null
  fi
  if [ -d "$prefix" ]; then WINEPREFIX="$prefix" timeout 30 wineserver -k >/dev/null 2>&1; fi
  if [ -n "$client_pid" ]; then stop_pid "$client_pid" 10; fi
  if [ -n "$server_pid" ]; then stop_pid "$server_pid" 5; fi
  if [ -n "$xvfb_pid" ]; then stop_pid "$xvfb_pid" 5; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

bash tools/setup.sh

say "building Epiloom.exe (preset win64)"
cmake --preset win64 >/dev/null
cmake --build --preset win64
exe="$build/win64/Epiloom.exe"
driver_exe="$build/win64/epiloom_driver.exe"
for f in "$exe" "$driver_exe"; do
  [ -f "$f" ] || fail "$f was not built"
done
started=$SECONDS

port_taken() { ss -Htuln "sport = :$1" | grep -q .; }
for p in "$port" "$rpc_port" "$peer_port"; do
  port_taken "$p" && fail "port $p is taken (another demo still running?)"
done

# The Wine environment: no proxy (Wine would send even 127.0.0.1 through it).
unset http_proxy HTTP_PROXY https_proxy HTTPS_PROXY no_proxy NO_PROXY ftp_proxy FTP_PROXY all_proxy ALL_PROXY
# Wine's errors stay on (they go to log files): they tell its own start faults.
export WINEPREFIX="$prefix" WINEDEBUG=-all,err+all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8 LC_ALL=C.UTF-8
wine_log="$build/demo-wine.log"
driver_log="$build/demo-driver.log"
restarts=3
: >"$driver_log"

# Wine's own start-fault lines in the logs given; fails when there are none.
wine_faults() { /usr/bin/python3 tools/wine_session.py faults "$@"; }
end_wine_session() { timeout 30 wineserver -k >/dev/null 2>&1 || true; }
say_faults() {  # say_faults WHAT FAULT-LINES
  say "$1 failed for Wine's own reasons:"
  printf '%s\n' "$2" | sed 's/^/    /'
}

# wine_retry LOG COMMAND...: runs COMMAND with its output in LOG. One that
# Wine broke at its start is made again in a new Wine session, at most
# $restarts times. Returns COMMAND's exit code.
wine_retry() {
  local log=$1 n code faults
  shift
  for n in $(seq 0 "$restarts"); do
    code=0
    "$@" >"$log" 2>&1 || code=$?
    faults=$(wine_faults "$log") || return "$code"
    say_faults "'$*'" "$faults"
    [ "$n" -lt "$restarts" ] || { say "giving up after $restarts new Wine sessions"; return "$code"; }
    say "ending the Wine session and starting afresh ($((n + 1)) of $restarts)"
    end_wine_session
  done
}

# --- the display -----------------------------------------------------------
interactive=0
if [ -n "${DISPLAY:-}" ] && timeout 10 xdpyinfo >/dev/null 2>&1; then
  interactive=1
else
  n=97
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  # -noreset: otherwise the server resets each time its last client leaves,
  # and a program that connects just then cannot open the display.
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X$n" ] || fail "Xvfb did not start"
  export DISPLAY=":$n"
fi

# --- the demo site ---------------------------------------------------------------
/usr/bin/python3 tools/kestrix_server.py --demo --port "$port" &
server_pid=$!
for _ in $(seq 100); do
  /usr/bin/python3 -c "import socket,sys; socket.create_connection(('127.0.0.1',$port),0.2)" 2>/dev/null && break
  kill -0 "$server_pid" 2>/dev/null || fail "the demo site did not start (port $port taken?)"
  sleep 0.1
done
say "demo site on http://127.0.0.1:$port/"

# --- the torrent client, on loopback only ------------------------------------------------
# The settings are written before its first start: the defaults would turn on
# DHT, local peer discovery (multicast) and port mapping (to the gateway).
# Added torrents stay stopped, and stopped torrents ask no tracker.
rm -rf "$client_dir"
mkdir -p "$client_dir/downloads"
cat >"$client_dir/settings.json" <<EOF
{
    "bind-address-ipv4": "127.0.0.1",
    "bind-address-ipv6": "::1",
    "blocklist-enabled": false,
    "dht-enabled": false,
    "download-dir": "$client_dir/downloads",
    "incomplete-dir-enabled": false,
    "lpd-enabled": false,
    "peer-port": $peer_port,
    "peer-port-random-on-start": false,
    "pex-enabled": false,
    "port-forwarding-enabled": false,
    "rpc-authentication-required": false,
    "rpc-bind-address": "127.0.0.1",
    "rpc-enabled": true,
    "rpc-host-whitelist-enabled": false,
    "rpc-port": $rpc_port,
    "rpc-whitelist-enabled": false,
    "scrape-paused-torrents-enabled": false,
    "start-added-torrents": false,
    "utp-enabled": false,
    "watch-dir-enabled": false
}
EOF
transmission-daemon -f -g "$client_dir" >"$client_dir/daemon.log" 2>&1 &
client_pid=$!
remote() { timeout 20 transmission-remote "127.0.0.1:$rpc_port" "$@"; }
for _ in $(seq 100); do
  remote -l >/dev/null 2>&1 && break
  kill -0 "$client_pid" 2>/dev/null || fail "transmission-daemon did not start: $(tail -3 "$client_dir/daemon.log")"
  sleep 0.1
done
remote -l >/dev/null 2>&1 || fail "transmission-daemon does not answer on 127.0.0.1:$rpc_port"

# Every socket of the client must be a loopback one.
check_client_sockets() {
  local sockets outside
  sockets=$(ss -Htunap | grep "pid=$client_pid," || true)
  outside=$(echo "$sockets" | awk 'NF { if ($5 !~ /^(127\.0\.0\.1|\[::1\]):/ || ($6 !~ /^(127\.0\.0\.1|\[::1\]):/ && $6 != "*:*" && $6 != "0.0.0.0:*" && $6 != "[::]:*")) print }')
  [ -z "$outside" ] || fail "transmission-daemon has a socket off loopback: $outside"
  say "transmission-daemon sockets ($1): $(echo "$sockets" | awk 'NF { printf "%s%s %s %s", sep, $1, $2, $5; sep = ", " }')"
}
check_client_sockets "at start"
say "torrent client: transmission-daemon (pid $client_pid), remote control on 127.0.0.1:$rpc_port"

# --- the Wine prefix, booted once ------------------------------------------------------
if [ ! -f "$prefix/.epiloom-demo-ready" ]; then
  say "preparing the Wine prefix $prefix (once)"
  rm -rf "$prefix"
  # The first Wine command starts the prefix's services, which keep its output
  # (a file, not the terminal).
  wine_retry "$build/demo-boot.log" timeout 300 wineboot -i || fail "wineboot failed: $(tail -3 "$build/demo-boot.log")"
  # Debian's Wine finds its own fonts (Marlett, Tahoma, MS Sans Serif) only here.
  cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  wine_retry "$build/demo-reg.log" timeout 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f || fail "wine reg add failed"
  timeout 60 wineserver -w
  touch "$prefix/.epiloom-demo-ready"
fi
# A window manager handles a real display; on Xvfb there is none, and Wine's
# unmanaged windows are the quick ones there.
managed=$([ "$interactive" = 1 ] && echo Y || echo N)
reg_add() { wine_retry "$build/demo-reg.log" timeout 60 wine reg add "$@" /f || fail "wine reg add $1 failed"; }
reg_add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed"
# The torrent client as the handler of magnet links: Wine starts the Linux
# program, which adds the link to the daemon.
handler="C:\\windows\\system32\\start.exe /unix /usr/bin/transmission-remote 127.0.0.1:$rpc_port -a \"%1\""
reg_add 'HKCR\magnet' /ve /d 'URL:magnet'
reg_add 'HKCR\magnet' /v 'URL Protocol' /d ''
reg_add 'HKCR\magnet\shell\open\command' /ve /d "$handler"
say "magnet links open with: $handler"

# --- the program folder, new on every run ------------------------------------------------
# Three favourites, each with episodes it has not seen yet on the demo site:
# two watched up to a few episodes before the newest (one preferring 720p, one
# standard quality), one never watched, so the counts show it.
rm -rf "$run_dir"
mkdir -p "$run_dir"
cp "$exe" "$run_dir/Epiloom.exe"
/usr/bin/python3 - "$run_dir/Epiloom.favorite" <<'PY'
import sys
sys.path.insert(0, "tools")
import demo_catalogue
shows = {s.title: s for s in demo_catalogue.build_catalogue()}
lines = []
# title, how many of its newest episodes are new (None: never watched), quality
for title, new, quality in (("Foxglove", 3, "H"), ("Hollowmere", 2, "L"), ("The Bellwether Inn", None, "L")):
    codes = sorted({episode.code() for episode in shows[title].episodes})
    watched = "S00E00" if new is None else codes[-1 - new]
    lines.append("%s|%s>%s%s" % (title, shows[title].path().rstrip("/"), watched, quality))
open(sys.argv[1], "wb").write(("\r\n".join(lines) + "\r\n").encode("cp1252"))
PY
say "favourites: $(tr -d '\r' <"$run_dir/Epiloom.favorite" | paste -sd ';' | sed 's/;/; /g')"

# --- the end: what the torrent client received -----------------------------------------
client_report() {
  check_client_sockets "at the end"
  say "shortcuts in $run_dir: $(find "$run_dir" -maxdepth 1 -name '*.lnk' | wc -l)"
  say "favourites now: $(tr -d '\r' <"$run_dir/Epiloom.favorite" | paste -sd ';' | sed 's/;/; /g')"
  say "the torrent client's list (transmission-remote 127.0.0.1:$rpc_port -l):"
  remote -l || echo "demo: transmission-remote failed" >&2
}

# --- run -------------------------------------------------------------------------------
if [ "$interactive" = 1 ]; then
  say "starting Epiloom on $DISPLAY; answer Yes to hand the new episodes to the torrent client, close its window to end the demo"
  for n in $(seq 0 "$restarts"); do
    wine "$run_dir/Epiloom.exe" >"$wine_log" 2>&1 &
    app_pid=$!
    wait "$app_pid" || true
    app_pid=""
    faults=$(wine_faults "$wine_log") || break
    say_faults "the start of Epiloom" "$faults"
    [ "$n" -lt "$restarts" ] || fail "Wine failed the program's start in $((restarts + 1)) Wine sessions in a row"
    say "ending the Wine session and starting afresh ($((n + 1)) of $restarts)"
    end_wine_session
  done
  sleep 2  # launches from the last moments may still be on their way
  client_report
  exit 0
fi

# drive VERB ARGS...: one driver command; its result on stdout. Its output
# goes through a file: should it start the session's desktop process, that
# inherits it and would hold a pipe open. A command whose own start Wine broke
# is run again (at most $restarts times) in the same session.
driver_out="$build/demo-driver.out"
driver_err="$build/demo-driver.err"
drive() {
  local n code faults
  for n in $(seq 0 "$restarts"); do
    code=0
    timeout 30 wine "$driver_exe" "$@" >"$driver_out" 2>"$driver_err" || code=$?
    cat "$driver_err" >>"$driver_log"
    if [ "$code" = 0 ] || [ ! -s "$driver_err" ] || ! faults=$(wine_faults "$driver_err"); then break; fi
    say_faults "the driver's '$1'" "$faults" >&2
    if [ "$n" -lt "$restarts" ]; then say "running it again ($((n + 1)) of $restarts)" >&2; fi
  done
  cat "$driver_out"
  return "$code"
}
json_field() { /usr/bin/python3 -c 'import json,sys; v = json.loads(sys.argv[1])[sys.argv[2]]; print(",".join(v) if isinstance(v, list) else v)' "$1" "$2"; }
json_text() { /usr/bin/python3 -c 'import json,sys; print(json.loads(sys.argv[1]))' "$1" 2>/dev/null || echo "(not read)"; }
shot() { import -display "$DISPLAY" -window root "$1"; }

say "starting Epiloom on the private display $DISPLAY"
for n in $(seq 0 "$restarts"); do
  driver_mark=$(stat -c %s "$driver_log")
  wine "$run_dir/Epiloom.exe" >"$wine_log" 2>&1 &
  app_pid=$!
  drive wait-window "$title" 20000 >/dev/null && break
  # The desktop process writes to the log of whichever process started it.
  tail -c +"$((driver_mark + 1))" "$driver_log" >"$build/demo-driver.since"
  faults=$(wine_faults "$wine_log" "$build/demo-driver.since") ||
    fail "the main window did not appear; Wine's log: $(tail -5 "$wine_log")"
  say_faults "the start of Epiloom" "$faults"
  [ "$n" -lt "$restarts" ] || fail "Wine failed the program's start in $((restarts + 1)) Wine sessions in a row"
  say "ending the Wine session and starting afresh ($((n + 1)) of $restarts)"
  end_wine_session
  wait "$app_pid" 2>/dev/null || true
done

# The cycle runs by itself: update check, show list, episode check, download
# window. Notices on the way (new translations) get OK; the download window is
# photographed while it makes the shortcuts; the launch question (Yes and No)
# ends the wait. Bounded: about 60 s.
download_title="Downloading new torrents"  # its English caption; the demo runs in English
download_shot="$build/demo-download.png"
rm -f "$download_shot"
deadline=$((SECONDS + 60))
question=""
while [ "$SECONDS" -lt "$deadline" ] && kill -0 "$app_pid" 2>/dev/null; do
  if [ ! -f "$download_shot" ] && drive wait-window "$download_title" 0 >/dev/null; then
    sleep 0.6
    say "download window at work: $(json_text "$(drive text "$download_title" 1034)")"
    shot "$download_shot"
    continue
  fi
  box=$(drive msgbox Epiloom 500) || continue
  if [ "$(json_field "$box" buttons)" = "yes,no" ]; then
    question=$box
    break
  fi
  say "message box: $(json_field "$box" text | head -c 300)"
  drive answer Epiloom ok 2000 >/dev/null || true
done
[ -n "$question" ] || fail "the launch question did not come (is there a new episode?)"
say "status line: $(json_text "$(drive text "$title" 1004)")"
download_window=$(json_field "$question" owner)
question_text=$(json_field "$question" text)
say "download window \"$download_window\" asks:"
echo "$question_text" | sed 's/^/    /'
# Its first line: "Launch the download of these <total> new episodes ?"
total=$(/usr/bin/python3 -c 'import re,sys; m = re.search(r"\d+", sys.argv[1].split("\n")[0]); print(m.group() if m else "")' "$question_text")
[ -n "$total" ] || fail "no episode count in the question"
sleep 0.3
question_shot="$build/demo-question.png"
shot "$question_shot"

drive answer Epiloom yes 5000 >/dev/null || fail "the question could not be answered"
say "answered Yes: $total magnet links go to the torrent client"
drive gone "$download_window" 10000 >/dev/null || say "the download window is still open"

# Launches are asynchronous: wait until the client lists them all (bounded).
listed=0
for _ in $(seq 150); do
  listed=$(remote -l 2>/dev/null | grep -c '^ *[0-9]' || true)
  [ "$listed" -ge "$total" ] && break
  sleep 0.2
done
say "the torrent client lists $listed of $total torrents"

sleep 0.3
main_shot="$build/demo-screenshot.png"
shot "$main_shot"
say "screenshots:"
[ -f "$download_shot" ] && echo "$download_shot"
echo "$question_shot"
echo "$main_shot"

if kill -0 "$app_pid" 2>/dev/null; then
  drive close "$title" >/dev/null || true
  for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
fi
client_report
say "done in $((SECONDS - started)) s"
[ "$listed" -ge "$total" ] || fail "the torrent client received $listed of $total magnet links"
