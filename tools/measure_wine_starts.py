"""How often a fresh Wine session fails for Wine's own reasons, with and
without address randomisation.

A bounded loop of fresh sessions in a scratch copy of a booted prefix, on a
private Xvfb display: each ends the previous session (`wineserver -k`), then
runs one small program that needs the session's desktop (the end-to-end
driver's "windows" verb, which lists the top-level windows) with Wine's errors
on, and looks in everything the session wrote for the lines of Wine's own
start faults (tools/wine_session.py). The modes take turns, so both meet the
same load:

  plain     wine ...
  setarch   setarch -R wine ...  (address randomisation off; the wineserver
            and every Wine process of the session are started from this
            command and inherit it, which the run checks in /proc)

Prints per mode the sessions, the faults of each kind, the rate, the sessions
that failed otherwise, and the load meanwhile. Bounded by --sessions per mode
and --max-seconds in all; ends every process it starts (each session with
`wineserver -k`, Xvfb by its id).

The fault lies in each Wine process's own start (where the kernel placed its
memory), so --processes N then counts it per process too, many times faster:
N starts per mode of one small console program (the driver's "info" verb) in
a session kept running (`wineserver -p`, started in that mode).

Why: Debian's wine64 loader is a program at a fixed address (0x7d000000).
With address randomisation the kernel puts its heap anywhere in the 1 GiB
above it, and Wine then maps the shared user data at 0x7ffe0000, 48 MiB above
the loader: a heap lying across that address makes the mapping fail
(c0000018). --heap-samples N counts that directly, without Wine: N starts per
mode of a tiny C program linked at the loader's address (cc), each reporting
where its heap begins, and how many begin in the window where a heap of the
size Wine's loader has by then would cover the shared user data.

    tools/measure_wine_starts.sh [BUILD_DIR] [--sessions 300] [--processes 0] [--heap-samples 0]
                                 [--max-seconds 1500]
"""

import argparse
import datetime
import os
import platform
import re
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import wine_session  # noqa: E402

ADDR_NO_RANDOMIZE = 0x0040000
MODES = {"plain": [], "setarch": ["setarch", "-R"]}
PROXY_VARIABLES = ("http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "no_proxy", "NO_PROXY")


def wine_env(prefix, display):
    env = {k: v for k, v in os.environ.items() if k not in PROXY_VARIABLES}
    env.update({"WINEPREFIX": str(prefix), "WINEDEBUG": "-all,err+all", "WINEDLLOVERRIDES": "mscoree,mshtml=",
                "DISPLAY": display, "LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
    return env


def start_xvfb(workdir):
    for n in range(97, 150):
        if os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n):
            continue
        with open(workdir / "xvfb.log", "wb") as log:
            proc = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                                     "-noreset"], stdout=log, stderr=subprocess.STDOUT)
        for _ in range(100):
            if proc.poll() is not None or os.path.exists("/tmp/.X11-unix/X%d" % n):
                break
            time.sleep(0.1)
        if proc.poll() is None and os.path.exists("/tmp/.X11-unix/X%d" % n):
            return proc, ":%d" % n
        stop(proc)
    raise SystemExit("Xvfb did not start")


def stop(proc):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=10)


def session_processes(prefix):
    """(command name, personality) of the running processes of this prefix's
    Wine session."""
    found = []
    want = ("WINEPREFIX=%s" % prefix).encode()
    for pid in wine_pids():
        try:
            if want not in open("/proc/%s/environ" % pid, "rb").read().split(b"\0"):
                continue
            found.append((_comm(pid), int(open("/proc/%s/personality" % pid).read(), 16)))
        except OSError:
            continue
    return found


def wine_pids(pattern=r".*\.exe|wineserver.*|wine64.*"):
    """The processes whose name matches `pattern`: by default Wine's (a
    Windows program, the loader, the server)."""
    return [pid for pid in os.listdir("/proc") if pid.isdigit() and re.fullmatch(pattern, _comm(pid))]


def one_session(mode, env, driver, log_path, timeout_s):
    """Ends the session, starts a fresh one with the driver; returns
    (seconds, the driver's exit code or None when it hung, Wine's fault
    lines, the session's processes while it ran)."""
    wine_session.end_session(env)
    started = time.monotonic()
    with open(log_path, "wb") as log:
        # Output to a file, not a pipe: the session's desktop process inherits
        # it and would keep a pipe open after the driver has ended.
        proc = subprocess.Popen(MODES[mode] + ["wine", str(driver), "windows"], env=env, stdin=subprocess.DEVNULL,
                                stdout=log, stderr=subprocess.STDOUT)
    try:
        code = proc.wait(timeout=timeout_s)
    except subprocess.TimeoutExpired:
        wine_session.end_session(env)
        proc.kill()
        proc.wait(timeout=10)
        code = None
    seconds = time.monotonic() - started
    processes = session_processes(env["WINEPREFIX"])
    return seconds, code, wine_session.fault_lines(wine_session.read_log(log_path)), processes


def one_process(mode, env, driver, log_path, timeout_s):
    """One start of the driver's "info" verb in the running session; returns
    (seconds, its exit code or None when it hung, Wine's fault lines)."""
    started = time.monotonic()
    with open(log_path, "wb") as log:
        proc = subprocess.Popen(MODES[mode] + ["wine", str(driver), "info"], env=env, stdin=subprocess.DEVNULL,
                                stdout=log, stderr=subprocess.STDOUT)
    try:
        code = proc.wait(timeout=timeout_s)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(timeout=10)
        code = None
    return time.monotonic() - started, code, wine_session.fault_lines(wine_session.read_log(log_path))


def summary(title, unit, results, modes):
    print(title)
    print("%-8s %9s %7s %9s   %s" % ("mode", unit, "faults", "rate", "kinds; failed otherwise; median seconds"))
    for mode in modes:
        rows = results[mode]
        faulty = [faults for _, _, faults in rows if faults]
        kinds = {}
        for faults in faulty:
            for kind in wine_session.fault_kinds("\n".join(faults)):
                kinds[kind] = kinds.get(kind, 0) + 1
        other = sum(1 for _, code, faults in rows if not faults and code != 0)
        rate = "1 in %.0f" % (len(rows) / len(faulty)) if faulty else "0"
        print("%-8s %9d %7d %9s   %s; %d; %.2f" % (
            mode, len(rows), len(faulty), rate, ", ".join("%s %d" % kv for kv in kinds.items()) or "-", other,
            statistics.median(s for s, _, _ in rows) if rows else 0))


SHARED_USER_DATA = (0x7ffe0000, 0x7fff0000)
# The loader's heap when it maps the shared user data (the driver's [heap] in
# /proc/PID/maps then: 0x7d005000-0x7d08f000).
LOADER_HEAP = 0x8a000
HEAP_PROBE = "#include <stdio.h>\n#include <unistd.h>\nint main(void) { void* start = sbrk(0); " \
             "printf(\"%lx\\n\", (unsigned long)start); return 0; }\n"


def loader_address(path="/usr/lib/wine/wine64"):
    """The load address of a fixed-address ELF program, or None for a
    position-independent one (whose heap the kernel places elsewhere)."""
    data = open(path, "rb").read(4096)
    if data[:4] != b"\x7fELF" or struct.unpack_from("<H", data, 0x10)[0] != 2:  # ET_EXEC
        return None
    phoff, = struct.unpack_from("<Q", data, 0x20)
    size, count = struct.unpack_from("<HH", data, 0x36)
    for n in range(count):
        kind, _, _, vaddr = struct.unpack_from("<IIQQ", data, phoff + n * size)
        if kind == 1:  # PT_LOAD
            return vaddr
    return None


def heap_samples(count, workdir, modes, deadline):
    """Per mode: (samples, heaps that would cover the shared user data, lowest and highest heap start)."""
    address = loader_address()
    if address is None:
        print("the wine64 loader is position-independent here: no heap samples")
        return {}
    (workdir / "probe.c").write_text(HEAP_PROBE)
    subprocess.run(["cc", "-O2", "-no-pie", "-Wl,-Ttext-segment=0x%x" % address, str(workdir / "probe.c"),
                    "-o", str(workdir / "probe")], check=True)
    starts = {m: [] for m in modes}
    while time.monotonic() < deadline and any(len(starts[m]) < count for m in modes):
        for mode in modes:
            if len(starts[mode]) < count:
                out = subprocess.run(MODES[mode] + [str(workdir / "probe")], capture_output=True, text=True).stdout
                starts[mode].append(int(out, 16))
    low, high = SHARED_USER_DATA
    return {m: (len(xs), sum(1 for x in xs if x < high and x + LOADER_HEAP > low), min(xs), max(xs))
            for m, xs in starts.items() if xs}


def report_heaps(heaps):
    if heaps:
        print("\nheap of a program at the loader's address: where it begins, and how often a heap of %d KiB from "
              "there covers the shared user data at 0x%x:" % (LOADER_HEAP // 1024, SHARED_USER_DATA[0]))
        for mode, (count, covering, low, high) in heaps.items():
            print("%-8s %7d starts, heap from 0x%x to 0x%x, covering %d (%s)" % (
                mode, count, low, high, covering, "1 in %.0f" % (count / covering) if covering else "none"))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--driver", required=True, help="epiloom_driver.exe (x86_64)")
    parser.add_argument("--sessions", type=int, default=300, help="fresh sessions per mode (at most 2000)")
    parser.add_argument("--processes", type=int, default=0,
                        help="then program starts per mode in a running session (at most 20000)")
    parser.add_argument("--heap-samples", type=int, default=0,
                        help="first, heap placements per mode of a program at the loader's address (at most 100000)")
    parser.add_argument("--max-seconds", type=float, default=1500, help="the whole run stops after this")
    parser.add_argument("--modes", default="plain,setarch")
    parser.add_argument("--keep-logs", help="a folder to copy the logs of failed sessions to")
    args = parser.parse_args()
    args.sessions = max(0, min(args.sessions, 2000))
    args.processes = max(0, min(args.processes, 20000))
    args.heap_samples = max(0, min(args.heap_samples, 100000))
    modes = [m for m in args.modes.split(",") if m in MODES]
    driver = Path(args.driver).resolve()
    if not driver.is_file():
        raise SystemExit("%s does not exist" % driver)
    for binary in ("wine", "wineserver", "Xvfb", "setarch"):
        if not shutil.which(binary):
            raise SystemExit("%s is not installed" % binary)

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    started = time.monotonic()
    deadline = started + args.max_seconds
    workdir = Path(tempfile.mkdtemp(prefix="epiloom-wine-starts-"))
    xvfb = None
    envs = {}
    template = workdir / "template"
    results = {m: [] for m in modes}  # (seconds, code, fault lines)
    process_results = {m: [] for m in modes}
    personalities = {m: [] for m in modes}
    loads = []
    other_sessions = []
    print("%s UTC, %s, %d cores, %s, %s; load average at start %s" % (
        datetime.datetime.utcnow().strftime("%Y-%m-%d %H:%M"), platform.node(), os.cpu_count(),
        platform.release(), subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip(),
        " ".join("%.2f" % x for x in os.getloadavg())), flush=True)
    heaps = {}
    try:
        if args.heap_samples:
            heaps = heap_samples(args.heap_samples, workdir, modes, deadline - 60)
        if not args.sessions and not args.processes:
            return report_heaps(heaps)
        xvfb, display = start_xvfb(workdir)
        boot_env = wine_env(template, display)
        subprocess.run(["wineboot", "-i"], env=boot_env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300, check=True)
        subprocess.run(["wineserver", "-w"], env=boot_env, timeout=120)
        print("prefix booted in %.0f s" % (time.monotonic() - started), flush=True)
        for mode in modes:
            shutil.copytree(template, workdir / mode, symlinks=True)
            envs[mode] = wine_env(workdir / mode, display)
        n = 0
        while time.monotonic() < deadline - 60 and any(len(results[m]) < args.sessions for m in modes):
            for mode in modes:
                if len(results[mode]) >= args.sessions or time.monotonic() >= deadline - 60:
                    continue
                log_path = workdir / ("%s.log" % mode)
                seconds, code, faults, processes = one_session(mode, envs[mode], driver, log_path, 60)
                results[mode].append((seconds, code, faults))
                if processes:
                    personalities[mode].append(processes)
                loads.append(os.getloadavg()[0])
                ours = any(comm.startswith("wineserver") for comm, _ in processes)
                other_sessions.append(len(wine_pids(r"wineserver.*")) - ours)
                if faults or code != 0:
                    print("  %s session %d: exit %s, %.1f s: %s" % (
                        mode, len(results[mode]), code, seconds, " | ".join(faults) or "(no Wine fault line)"),
                        flush=True)
                    if args.keep_logs:
                        Path(args.keep_logs).mkdir(parents=True, exist_ok=True)
                        shutil.copy2(log_path, Path(args.keep_logs) / ("%s-%d.log" % (mode, len(results[mode]))))
            n += 1
            if n % 25 == 0:
                print("  %s after %.0f s; load %.2f" % (", ".join("%s %d" % (m, len(results[m])) for m in modes),
                                                       time.monotonic() - started, loads[-1]), flush=True)
        if args.processes:
            for mode in modes:
                wine_session.end_session(envs[mode])
                subprocess.run(MODES[mode] + ["wineserver", "-p"], env=envs[mode], timeout=60)
                # The session's services start with the first program; not counted.
                one_process(mode, envs[mode], driver, workdir / "first.log", 120)
            n = 0
            while time.monotonic() < deadline - 30 and any(len(process_results[m]) < args.processes for m in modes):
                for mode in modes:
                    if len(process_results[mode]) >= args.processes:
                        continue
                    log_path = workdir / ("%s-process.log" % mode)
                    seconds, code, faults = one_process(mode, envs[mode], driver, log_path, 60)
                    process_results[mode].append((seconds, code, faults))
                    loads.append(os.getloadavg()[0])
                    if faults or code != 0:
                        print("  %s process %d: exit %s, %.1f s: %s" % (
                            mode, len(process_results[mode]), code, seconds, " | ".join(faults) or
                            "(no Wine fault line)"), flush=True)
                        if args.keep_logs:
                            Path(args.keep_logs).mkdir(parents=True, exist_ok=True)
                            shutil.copy2(log_path, Path(args.keep_logs) / ("%s-process-%d.log" % (
                                mode, len(process_results[mode]))))
                n += 1
                if n % 250 == 0:
                    print("  processes: %s after %.0f s; load %.2f" % (
                        ", ".join("%s %d" % (m, len(process_results[m])) for m in modes),
                        time.monotonic() - started, loads[-1]), flush=True)
    finally:
        for env in envs.values():
            wine_session.end_session(env)
        if template.exists() and xvfb is not None:
            wine_session.end_session(wine_env(template, display))
        if xvfb is not None:
            stop(xvfb)
        shutil.rmtree(workdir, ignore_errors=True)

    report_heaps(heaps)
    if args.sessions:
        summary("\nfresh Wine sessions (wineserver -k, then `wine epiloom_driver.exe windows`):", "sessions",
                results, modes)
    if args.processes:
        summary("\nprogram starts in a running session (`wine epiloom_driver.exe info`):", "starts",
                process_results, modes)
    print("%.0f s in all" % (time.monotonic() - started))
    for mode in modes:
        seen = [p for processes in personalities[mode] for p in processes]
        if seen:
            off = sum(1 for _, persona in seen if persona & ADDR_NO_RANDOMIZE)
            names = sorted({comm for comm, _ in seen})
            print("%s: %d of %d Wine processes seen running had address randomisation off (%s)"
                  % (mode, off, len(seen), ", ".join(names)))
    if loads:
        print("load average (1 min) during the run: mean %.2f, max %.2f" % (statistics.mean(loads), max(loads)))
    if other_sessions:
        print("other Wine sessions on the machine meanwhile: mean %.1f, max %d" % (statistics.mean(other_sessions),
                                                                                 max(other_sessions)))
    return 0


def _comm(pid):
    try:
        return open("/proc/%s/comm" % pid).read().strip()
    except OSError:
        return ""


if __name__ == "__main__":
    sys.exit(main())
