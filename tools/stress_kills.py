"""Kills Epiloom.exe under Wine at random moments around its file writes and
checks that no file is ever left torn.

Four moments, each in its own scenario of the end-to-end harness (prefix
copy, program folder C:\\Epiloom, fixture site):

  end-of-run    the close box at idle, after a run that changed both lists
                (a vanished favourite pruned, blank lines dropped) and whose
                language choice is written back differently ("ENX" -> "EN")
  session-end   the same run, ended by WM_QUERYENDSESSION + WM_ENDSESSION
  translation   the update check downloading two new translations
  first-start   a start in a folder without the English language file, which
                the program writes first

Each moment first runs --calibrate times without a kill: a poller notes when,
after the trigger (the close box sent, the end-of-session message sent, the
list of translations asked of the server, the process started), each
temporary file appears and each file changes. Then --kills runs, each killed
with SIGKILL of the Wine process after a seeded random delay: one delay per
equal slice of that window widened by a margin on both sides, so the kills
land before, inside and after the writes. Then --on-write rounds of one kill
per file the moment writes, made the moment the file system reports that
file's write beginning (inotify: the file itself rewritten in place, or its
temporary "~NAME.new"), so a write done in place is caught in the middle.
After each kill every list file, the language-choice file and every language
file must hold, byte for byte, its old content or its new one (a file the
moment creates: absent or whole); anything else is a torn file.

Prints per moment the kills, how many left everything old, everything new or
some of each, and the torn files; exits 1 when a file was torn, when the
files were written out of order (the blacklist, then the favourites, then the
choice), or when a run did not go as set up. Bounded: --kills per moment and
--max-seconds in all; it stops by itself and ends every process it started
(the program by its id, each prefix's Wine session with `wineserver -k`,
Xvfb by its id).

    tools/stress_kills.sh [BUILD_DIR] [--kills 15] [--on-write 2] [--seed 10] [--max-seconds 900]
"""

import argparse
import ctypes
import os
import random
import re
import select
import shutil
import signal
import struct
import sys
import tempfile
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tools"))
import wine_session  # noqa: E402


def build_settings(build):
    """The addresses a Windows build was configured with, from its cache."""
    cache = (Path(build) / "CMakeCache.txt").read_text(errors="replace")
    values = {}
    for name in ("EPILOOM_SITE_URL", "EPILOOM_UPDATE_HOST", "EPILOOM_HOME_URL"):
        match = re.search(r"^%s:[A-Z]+=(.*)$" % name, cache, re.M)
        if not match:
            raise SystemExit("%s is not set in %s/CMakeCache.txt" % (name, build))
        values[name] = match.group(1).strip()
    return values


FAVOURITES = "Epiloom.favorite"
BLACKLIST = "Epiloom.blacklist"
CHOICE = "Epiloom-LANG.ini"
WRITE_ORDER = (BLACKLIST, FAVOURITES, CHOICE)  # the order of the writes at the end of a run

CATALOGUE = [("/shows/%d/stress-show-%d/" % (100 + i, i), "Stress Show %02d" % i) for i in range(40)]
EPISODES = [("s02e01", "1.2 GB"), ("s02e01", "350.5 MB"), ("s01e10", "349.0 MB")]


def crlf_lines(lines):
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def favourite(show, quality):
    path, title = show
    return "%s|%s>S02E01%s" % (title, path.rstrip("/"), quality)


# The lists as the run finds them and as it leaves them: 30 favourites (all
# have watched the newest episode, so nothing is handed over) and one that
# vanished from the site, pruned after the warning; a blacklist of 150 names
# with blank lines, which saving drops.
KEPT = [favourite(show, "HL"[i % 2]) for i, show in enumerate(CATALOGUE[:30])]
VANISHED = "Gone Show|/shows/99/gone-show>S01E01L"
OLD_FAVOURITES = crlf_lines(KEPT[:15] + [VANISHED] + KEPT[15:])
NEW_FAVOURITES = crlf_lines(KEPT)
NAMES = ["Blacklisted Show %03d" % i for i in range(150)]
OLD_BLACKLIST = b"\r\n" + crlf_lines(NAMES[:75] + [""] + NAMES[75:] + [""])
NEW_BLACKLIST = crlf_lines(NAMES)
OLD_CHOICE = b"[Epiloom]\r\nLang=ENX\r\n"  # a three-letter value selects "EN"
NEW_CHOICE = b"[Epiloom]\r\nLang=EN\r\n"


class Kill:
    """Arms at the trigger (`fire`), then ends the program's Wine process with
    SIGKILL after `delay` seconds (no kill when `delay` is None). Reaping and
    killing share one lock, so the id killed is always the program's."""

    def __init__(self, proc, delay):
        self.proc, self.delay = proc, delay
        self.lock = threading.Lock()
        self.t0 = None
        self.timer = None
        self.killed_at = None  # seconds after the trigger
        self.ended_first = False

    def fire(self):
        with self.lock:
            if self.t0 is not None:
                return
            self.t0 = time.monotonic()
            if self.delay is not None:
                self.timer = threading.Timer(self.delay, self.kill_now)
                self.timer.daemon = True
                self.timer.start()

    def kill_now(self):
        with self.lock:
            if self.proc.poll() is None:
                os.kill(self.proc.pid, signal.SIGKILL)
                self.killed_at = time.monotonic() - self.t0 if self.t0 is not None else None
            else:
                self.ended_first = True

    def poll(self):
        with self.lock:
            return self.proc.poll()

    def wait(self, timeout_s):
        end = time.monotonic() + timeout_s
        while time.monotonic() < end:
            code = self.poll()
            if code is not None:
                return code
            time.sleep(0.01)
        return None

    def settle(self, timeout_s=15):
        """Waits until the kill was made (or found the program ended) and the
        process is gone."""
        if self.timer is not None:
            self.timer.join(timeout=self.delay + timeout_s)
        if self.wait(timeout_s) is None:
            self.kill_now()
            if self.wait(timeout_s) is None:
                raise RuntimeError("the program did not end")

    def cancel(self):
        if self.timer is not None:
            self.timer.cancel()


class Poller(threading.Thread):
    """Notes, as often as it can, when each watched file changes and when each
    temporary file of the program ("~NAME.new") appears."""

    def __init__(self, folder, names):
        super().__init__(daemon=True)
        self.folder, self.names = folder, names
        self.stopping = threading.Event()
        self.events = []  # (monotonic time, what)

    def look(self):
        seen = {}
        for name in self.names:
            try:
                st = os.stat(self.folder / name)
                seen[name] = (st.st_ino, st.st_size, st.st_mtime_ns, st.st_ctime_ns)
            except FileNotFoundError:
                seen[name] = None
        temporaries = {n for n in os.listdir(self.folder) if n.startswith("~")}
        return seen, temporaries

    def run(self):
        seen, temporaries = self.look()
        while not self.stopping.is_set():
            now_seen, now_temporaries = self.look()
            now = time.monotonic()
            for name in self.names:
                if now_seen[name] != seen[name]:
                    self.events.append((now, "write " + name))
            for name in now_temporaries - temporaries:
                self.events.append((now, "temporary " + name))
            seen, temporaries = now_seen, now_temporaries
            time.sleep(0.001)

    def stop(self):
        self.stopping.set()
        self.join(timeout=5)


class WriteWatch(threading.Thread):
    """Kills the program the moment the file system reports a write to one
    file (inotify IN_MODIFY on the folder): the file itself, rewritten in
    place, or its temporary "~NAME.new". The kill then lands inside that
    file's write, a few tens of microseconds after it began."""

    IN_MODIFY = 0x2

    def __init__(self, folder, name, kill):
        super().__init__(daemon=True)
        self.names = {name, "~" + name + ".new"}
        self.kill = kill
        self.hit = None  # the name whose write was hit
        self.stopping = threading.Event()
        self.libc = ctypes.CDLL("libc.so.6", use_errno=True)
        self.fd = self.libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.fd < 0 or self.libc.inotify_add_watch(self.fd, str(folder).encode(), self.IN_MODIFY) < 0:
            raise OSError(ctypes.get_errno(), "inotify")

    def run(self):
        try:
            while not self.stopping.is_set() and self.hit is None:
                if not select.select([self.fd], [], [], 0.05)[0]:
                    continue
                try:
                    data = os.read(self.fd, 65536)
                except BlockingIOError:
                    continue
                at = 0
                while at + 16 <= len(data):
                    _, _, _, length = struct.unpack_from("iIII", data, at)
                    name = data[at + 16:at + 16 + length].rstrip(b"\0").decode("latin-1")
                    at += 16 + length
                    if name in self.names:
                        self.kill.kill_now()
                        self.hit = name
                        break
        finally:
            os.close(self.fd)

    def stop(self):
        self.stopping.set()
        self.join(timeout=5)


class Moment:
    """What a run of one moment sets up, does and expects."""

    name = ""

    def __init__(self, harness, english_file, french_file):
        self.h = harness
        # name -> (old bytes, new bytes); None: no such file
        self.files = {
            FAVOURITES: (OLD_FAVOURITES, NEW_FAVOURITES),
            BLACKLIST: (OLD_BLACKLIST, NEW_BLACKLIST),
            CHOICE: (OLD_CHOICE, NEW_CHOICE),
            "Epiloom.lang.EN": (english_file, english_file),
            "Epiloom.lang.FR": (french_file, french_file),
        }

    def set_up_site(self, app):
        app.serve_shows(CATALOGUE, {title: EPISODES for _, title in CATALOGUE})

    def reset(self, app):
        """The program folder as every run of this moment finds it."""
        for path in app.folder.iterdir():
            if path.name != "Epiloom.exe":
                path.unlink()
        for name, (old, _) in self.files.items():
            if old is not None:
                app.file(name).write_bytes(old)

    def start(self, app, kill_for):
        proc = app.start()
        kill = kill_for(proc)
        return kill

    def reach(self, app, kill):
        """Brings the program to where the trigger is pulled."""

    def trigger(self, app, kill):
        """Arms the kill and does what makes the program write."""

    def finish(self, app, kill):
        """After the trigger, in a run without a kill: waits for the writes to end."""


class EndOfRun(Moment):
    name = "end-of-run"

    def reach(self, app, kill):
        app.wait_window()
        if app.file(FAVOURITES).read_bytes() == OLD_FAVOURITES:
            app.answer("ok", caption=self.h.MISSING, timeout_ms=20000)
        # The episode check ends in the download window (nothing new: it
        # counts down and is closed), or, should a page fail under load, in
        # the Problem box; either way the main window is then idle.
        shown = self.h.wait_until(lambda: app.drive("count", self.h.COUNTDOWN_TITLES)[1] not in ("0", "")
                                  or app.drive("count", "Epiloom")[1] not in ("0", ""), 30)
        if not shown:
            raise RuntimeError("the episode check did not end; windows: %r" % (app.windows(),))
        box = app.message_box(timeout_ms=200)
        if box is not None:
            print("  (the episode check ended in a box: %r)" % box["text"], flush=True)
            app.answer("ok")
        else:
            app.close_download_window(timeout_ms=20000)

    def trigger(self, app, kill):
        kill.fire()
        try:
            app.close_window()
        except self.h.HarnessError:
            pass  # killed before the driver found the window

    def finish(self, app, kill):
        if kill.wait(15) is None:
            raise RuntimeError("the program did not end after its close box")


class SessionEnd(EndOfRun):
    name = "session-end"

    def trigger(self, app, kill):
        kill.fire()
        try:
            app.end_session()
        except self.h.HarnessError:
            pass  # the window went away under the driver's message

    def finish(self, app, kill):
        # The system ends the process after WM_ENDSESSION, as the kill does.
        kill.kill_now()
        kill.wait(15)


class Translation(Moment):
    name = "translation"
    CODES = ("DE", "IT")

    def __init__(self, harness, english_file, french_file, translations):
        super().__init__(harness, english_file, french_file)
        self.translations = translations
        for name in WRITE_ORDER:  # killed before the end of the run: they must stay as they are
            old, _ = self.files[name]
            self.files[name] = (old, old)
        for code in self.CODES:
            self.files["Epiloom.lang." + code] = (None, translations[code])
        self.kill, self.asked_early = None, False

    def set_up_site(self, app):
        super().set_up_site(app)
        app.serve("/Epiloom/languages.dat", "EN;FR;" + ";".join(self.CODES))
        for code in self.CODES:
            app.serve("/Epiloom/Epiloom.lang." + code, self.translations[code])
        # The trigger is the list of translations reaching the server.
        first = "/Epiloom/languages.dat"
        record = app.site.record

        def noting(method, path):
            record(method, path)
            if path == first:
                if self.kill is not None:
                    self.kill.fire()
                else:
                    self.asked_early = True

        app.site.record = noting

    def start(self, app, kill_for):
        self.kill, self.asked_early = None, False
        proc = app.launch()
        kill = kill_for(proc)
        self.kill = kill
        if self.asked_early:  # asked before the kill existed (a launch takes far longer)
            kill.fire()
        return kill

    def reach(self, app, kill):
        pass

    def finish(self, app, kill):
        self.h.wait_until(lambda: all(app.file("Epiloom.lang." + c).exists() for c in self.CODES), 20)
        app.message_box(timeout_ms=10000)  # the new-translations notice: the worker has ended
        kill.kill_now()
        kill.wait(15)


class FirstStart(Moment):
    """The first start in a folder without the English language file, which
    the program writes before anything else."""

    name = "first-start"

    def __init__(self, harness, english_file, french_file):
        super().__init__(harness, english_file, french_file)
        for name in WRITE_ORDER:  # killed long before the end of the run
            old, _ = self.files[name]
            self.files[name] = (old, old)
        self.files["Epiloom.lang.EN"] = (None, english_file)

    def start(self, app, kill_for):
        proc = app.launch()
        kill = kill_for(proc)
        kill.fire()  # the trigger is the start itself
        return kill

    def finish(self, app, kill):
        self.h.wait_until(lambda: app.file("Epiloom.lang.EN").exists(), 20)
        app.wait_window()
        kill.kill_now()
        kill.wait(15)


def classify(app, files):
    """Per file: "old", "new", "same" (old and new are equal and it holds
    them) or "torn"."""
    states = {}
    for name, (old, new) in files.items():
        path = app.file(name)
        now = path.read_bytes() if path.exists() else None
        if now == old and now == new:
            states[name] = "same"
        elif now == old:
            states[name] = "old"
        elif now == new:
            states[name] = "new"
        else:
            states[name] = "torn"
    return states


def out_of_order(states):
    """An earlier file of the end-of-run writes still old while a later one is
    already new."""
    order = [states[n] for n in WRITE_ORDER if states.get(n) in ("old", "new")]
    return "old" in order and "new" in order[order.index("old"):]


def describe(data):
    if data is None:
        return "absent"
    return "%d bytes %r%s" % (len(data), data[:60], "..." if len(data) > 60 else "")


class Stress:
    def __init__(self, args, harness):
        self.args, self.h = args, harness
        self.deadline = time.monotonic() + args.max_seconds
        self.rng = random.Random(args.seed)
        self.failures = []
        self.rows = []

    def time_left(self):
        return self.deadline - time.monotonic()

    def one_run(self, app, moment, delay, reset=True, watch=None):
        """One start of the program; killed `delay` seconds after the trigger
        (None: not killed, the writes run to their end), or, with `watch` (a
        file name), the moment that file's write begins. Returns (kill, the
        name whose write the watch hit, the poller's events relative to the
        trigger).

        A run whose program start Wine broke (its log has Wine's own fault
        lines, tools/wine_session.py) did not test anything: it is made again
        in a new Wine session, a bounded number of times. The harness does
        this for the starts it waits for; the moments that start the program
        without waiting find out here."""
        started = []

        def attempt():
            del started[:]
            try:
                result = self.run_once(app, moment, delay, reset, watch, started)
            except (RuntimeError, self.h.HarnessError):
                if not self.wine_faults(started):
                    raise
                return None, self.wine_faults(started)
            return result, self.wine_faults(started)

        result = wine_session.retry_while_wine_fails(attempt, app.new_wine_session,
                                                     "%s: a run of the program" % moment.name,
                                                     say=lambda text: print("  " + text, flush=True))
        if result is None:
            raise RuntimeError("Wine failed the program's start in %d Wine sessions in a row" %
                               (wine_session.RESTARTS + 1))
        return result

    @staticmethod
    def wine_faults(started):
        return [line for proc in started for line in wine_session.fault_lines(wine_session.read_log(proc.log_path))]

    def run_once(self, app, moment, delay, reset, watch, started):
        if reset:
            moment.reset(app)
        poller = Poller(app.folder, list(moment.files)) if delay is None and watch is None else None
        if poller:
            poller.start()
        kill = watcher = None
        try:
            def arm(proc):
                nonlocal watcher
                started.append(proc)
                k = Kill(proc, delay)
                if watch is not None:
                    watcher = WriteWatch(app.folder, watch, k)
                    watcher.start()
                return k

            kill = moment.start(app, arm)
            moment.reach(app, kill)
            moment.trigger(app, kill)
            if watch is not None:
                # The watched write ends the program, or never comes (a file
                # the moment leaves alone): then the run ends as usual.
                if kill.wait(5) is None:
                    moment.finish(app, kill)
            elif delay is None:
                moment.finish(app, kill)
            kill.settle()
        finally:
            if poller:
                poller.stop()
            if watcher:
                watcher.stop()
            if kill is not None:
                kill.cancel()
                if kill.poll() is None:
                    kill.kill_now()
                    kill.wait(15)
        # The next start must not find this one's guard still held.
        app.drive("gone", self.h.TITLE, 5000)
        events = [(t - kill.t0, what) for t, what in poller.events] if poller and kill.t0 is not None else []
        return kill, (watcher.hit if watcher else None), events

    def calibrate(self, app, moment):
        """The window where the writes happen, in seconds after the trigger."""
        times = []
        for n in range(self.args.calibrate):
            kill, _, events = self.one_run(app, moment, None)
            if kill.t0 is None:
                raise RuntimeError("%s: the trigger was never reached" % moment.name)
            states = classify(app, moment.files)
            wrong = {name: state for name, state in states.items() if state not in ("new", "same")}
            if wrong:
                for name in wrong:
                    self.failures.append("%s: a run without a kill left %s as %s" % (
                        moment.name, name, describe(app.file(name).read_bytes() if app.file(name).exists()
                                                     else None)))
                raise RuntimeError("%s: a run without a kill did not write what it should" % moment.name)
            writes = [(t, what) for t, what in events if t >= -0.05]
            print("  calibration %d: %s" % (n + 1, ", ".join("%s at %.1f ms" % (what, t * 1000)
                                                              for t, what in writes)), flush=True)
            times += [t for t, _ in writes]
        if not times:
            raise RuntimeError("%s: no write was seen after the trigger" % moment.name)
        first, last = max(0.0, min(times)), max(times)
        margin = max(0.015, 0.5 * (last - first), 0.25 * first)  # a later write has more jitter
        return max(0.0, first - margin), last + margin, (first, last)

    def run_moment(self, moment):
        tmp = Path(tempfile.mkdtemp(prefix="kills-%s-" % moment.name, dir=self.workdir))
        app = self.h.Scenario(self.session, tmp, "stress-" + moment.name)
        counts = {"kills": 0, "at a write": 0, "old": 0, "new": 0, "mixed": 0, "torn": 0, "ended first": 0,
                  "out of order": 0, "leftovers": 0}
        per_file = {name: {"old": 0, "new": 0, "same": 0, "torn": 0} for name in moment.files}
        stopped = ""
        try:
            moment.set_up_site(app)
            print("\n== %s" % moment.name, flush=True)
            lo, hi, (first, last) = self.calibrate(app, moment)
            print("  writes seen %.1f..%.1f ms after the trigger; kills spread over %.1f..%.1f ms"
                  % (first * 1000, last * 1000, lo * 1000, hi * 1000), flush=True)
            width = (hi - lo) / self.args.kills
            delays = [lo + width * (i + self.rng.random()) for i in range(self.args.kills)]
            self.rng.shuffle(delays)
            # Then kills at the very start of each written file's write.
            written = [name for name, (old, new) in moment.files.items() if old != new]
            plan = [("delay", d) for d in delays] + [("write", name) for _ in range(self.args.on_write)
                                                     for name in written]
            for n, (how, what) in enumerate(plan):
                if self.time_left() < 20:
                    stopped = "stopped by the time limit after %d kills" % n
                    break
                if how == "delay":
                    kill, hit, _ = self.one_run(app, moment, what)
                    planned = "delay %6.1f ms" % (what * 1000)
                else:
                    kill, hit, _ = self.one_run(app, moment, None, watch=what)
                    planned = "at the write of %s" % short(what)
                    if hit is None:
                        self.failures.append("%s: the write of %s was never seen" % (moment.name, what))
                    else:
                        counts["at a write"] += 1
                states = classify(app, moment.files)
                counts["kills"] += 1
                for name, state in states.items():
                    per_file[name][state] += 1
                changing = [s for s in states.values() if s in ("old", "new")]
                torn = [name for name, s in states.items() if s == "torn"]
                if kill.ended_first:
                    counts["ended first"] += 1
                if torn:
                    counts["torn"] += 1
                elif changing and all(s == "old" for s in changing):
                    counts["old"] += 1
                elif changing and all(s == "new" for s in changing):
                    counts["new"] += 1
                else:
                    counts["mixed"] += 1
                if out_of_order(states):
                    counts["out of order"] += 1
                    self.failures.append("%s, kill %s: files written out of order: %s" % (moment.name, planned, states))
                leftovers = sorted(p.name for p in app.folder.iterdir() if p.name.startswith("~"))
                if leftovers:
                    counts["leftovers"] += 1
                for name in torn:
                    path = app.file(name)
                    self.failures.append("%s, kill %s: %s torn: %s" % (
                        moment.name, planned.strip(), name, describe(path.read_bytes() if path.exists() else None)))
                if kill.ended_first:
                    landed = "ended before the kill"
                elif hit is not None:
                    landed = "killed as %s was written" % hit
                else:
                    landed = "killed at %.1f ms" % ((kill.killed_at or 0) * 1000)
                print("  %2d: %s, %s: %s%s" % (
                    n + 1, planned, landed, " ".join("%s=%s" % (short(name), s) for name, s in states.items()),
                    ("  leftovers " + " ".join(leftovers)) if leftovers else ""), flush=True)
            if not stopped and self.time_left() > 20:
                # A start after the last kill finds what it left and still
                # writes every file whole.
                self.one_run(app, moment, None, reset=False)
                states = classify(app, moment.files)
                bad = {name: s for name, s in states.items() if s not in ("new", "same")}
                print("  a run after the last kill: %s" % ("every file new" if not bad else bad), flush=True)
                if bad:
                    self.failures.append("%s: the run after the last kill left %s" % (moment.name, bad))
        except (RuntimeError, self.h.HarnessError) as e:
            stopped = "stopped: %s" % e
            self.failures.append("%s: %s" % (moment.name, e))
            try:
                box = app.message_box(timeout_ms=500)
                if box:
                    self.failures.append("%s: a message box was open: %r" % (moment.name, box["text"]))
                app.screenshot("stress-failed")
            except self.h.HarnessError:
                pass
        finally:
            app.teardown()
        self.rows.append((moment.name, counts, per_file, stopped))

    def run(self, moments):
        self.workdir = Path(tempfile.mkdtemp(prefix="epiloom-kills-"))
        args = self.args
        self.session = self.h.WineSession(args.exe, args.driver, args.recorder, self.workdir / "artifacts")
        try:
            self.session.start()
            for moment in moments:
                if self.time_left() < 60:
                    self.rows.append((moment.name, None, None, "not run: time limit"))
                    continue
                self.run_moment(moment)
        finally:
            self.session.stop()
        code = self.report()
        if code == 0:
            shutil.rmtree(self.workdir, ignore_errors=True)
        else:
            print("request logs and screenshots: %s" % self.workdir)
        return code

    def report(self):
        print("\nkills (SIGKILL of the Wine process), seed %d:" % self.args.seed)
        heads = ("kills", "at a write", "old", "new", "mixed", "torn", "ended first", "out of order", "leftovers")
        print("%-12s" % "moment" + "".join("%14s" % h for h in heads))
        for name, counts, _, stopped in self.rows:
            if counts is None:
                print("%-12s %s" % (name, stopped))
                continue
            print("%-12s" % name + "".join("%14d" % counts[h] for h in heads) + ("  (%s)" % stopped
                                                                                  if stopped else ""))
        print("\nper file (old / new / unchanged / torn):")
        for name, counts, per_file, _ in self.rows:
            if per_file is None:
                continue
            print("  %s: %s" % (name, ", ".join("%s %d/%d/%d/%d" % (short(f), c["old"], c["new"], c["same"],
                                                                        c["torn"]) for f, c in per_file.items())))
        print("\n'old'/'new': every file the moment writes held its old / new content; 'mixed': some of each;\n"
              "'at a write': killed the moment a file's write began (inotify), not after a delay;\n"
              "'ended first': the program had ended before its kill; 'leftovers': a temporary file was left.")
        if self.failures:
            print("\nFAILURES:")
            for failure in self.failures:
                print("  " + failure)
            return 1
        print("\nno torn file")
        return 0


def short(name):
    return {FAVOURITES: "favourites", BLACKLIST: "blacklist", CHOICE: "choice"}.get(
        name, name.replace("Epiloom.lang.", "lang."))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True, help="a Windows e2e build folder (Epiloom.exe, driver, recorder)")
    parser.add_argument("--kills", type=int, default=15, help="kills per moment (at most 100)")
    parser.add_argument("--on-write", type=int, default=2,
                        help="rounds of kills at the start of each written file's write, per moment (at most 10)")
    parser.add_argument("--calibrate", type=int, default=2, help="runs without a kill per moment, to time the writes")
    parser.add_argument("--seed", type=int, default=10)
    parser.add_argument("--max-seconds", type=float, default=900, help="the whole run stops after this")
    parser.add_argument("--moments", default="end-of-run,session-end,translation,first-start")
    args = parser.parse_args()
    args.kills = max(1, min(args.kills, 100))
    args.calibrate = max(1, min(args.calibrate, 10))
    args.on_write = max(0, min(args.on_write, 10))
    build = Path(args.build).resolve()
    args.exe, args.driver, args.recorder = (build / "Epiloom.exe", build / "epiloom_driver.exe",
                                            build / "recorder.exe")
    for path in (args.exe, args.driver, args.recorder):
        if not path.is_file():
            raise SystemExit("%s is missing: build %s first" % (path, build))

    # The harness reads the build's addresses when it is imported.
    settings = build_settings(build)
    os.environ["EPILOOM_E2E_SITE_URL"] = settings["EPILOOM_SITE_URL"]
    os.environ["EPILOOM_E2E_UPDATE_HOST"] = settings["EPILOOM_UPDATE_HOST"]
    os.environ["EPILOOM_E2E_HOME_URL"] = settings["EPILOOM_HOME_URL"]
    sys.path.insert(0, str(ROOT / "tests" / "e2e"))
    import harness
    from english_texts import BUILT_IN, default_english_file
    from translations import FRENCH, GERMAN, language_file
    harness.MISSING = BUILT_IN["NotOnKestrix3"].strip()  # the vanished-favourites warning's caption

    english, french = default_english_file(), language_file(FRENCH)
    italian = language_file({"Populate": "Caricamento delle serie...", "Available": "serie Kestrix disponibili:"})
    known = {"end-of-run": EndOfRun(harness, english, french), "session-end": SessionEnd(harness, english, french),
             "translation": Translation(harness, english, french, {"DE": language_file(GERMAN), "IT": italian}),
             "first-start": FirstStart(harness, english, french)}
    moments = [known[m] for m in args.moments.split(",") if m in known]

    # A SIGTERM or SIGINT ends the run through the finally blocks, which end
    # the program, each prefix's Wine session and Xvfb by their ids.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    return Stress(args, harness).run(moments)


if __name__ == "__main__":
    sys.exit(main())
