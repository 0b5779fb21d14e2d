"""Running Epiloom.exe under Wine inside Xvfb for the end-to-end scenarios.

One `WineSession` per test run: an Xvfb display and a template Wine prefix,
booted once, with the registry settings the scenarios rely on. One `Scenario`
per test: a copy of that prefix (made, and its Wine session started, while the
previous scenario ran), the program folder C:\\Epiloom holding a copy of the
exe, the fixture site on the loopback port of the build's site address, a
driver that reads and works the program's windows, and a teardown that always
ends everything it started.

The build passes its addresses (EPILOOM_E2E_SITE_URL, EPILOOM_E2E_UPDATE_HOST,
EPILOOM_E2E_HOME_URL): a build for another port runs its scenarios beside
this one's without sharing the fixture site.
"""

import hashlib
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

TITLE = " Epiloom [by ardmoor] V1.6"
WINDOWS_FOLDER = "C:\\Epiloom\\"

# The build's settings (win64-e2e preset by default).
SITE_URL = os.environ.get("EPILOOM_E2E_SITE_URL", "http://127.0.0.1:18470/")
UPDATE_HOST = os.environ.get("EPILOOM_E2E_UPDATE_HOST", "127.0.0.1:18470")
HOME_URL = os.environ.get("EPILOOM_E2E_HOME_URL", "http://127.0.0.1:18470/epiloom/")


def loopback_port(address):
    match = re.fullmatch(r"(?:http://)?127\.0\.0\.1:(\d+)(?:/.*)?", address)
    return int(match.group(1)) if match else None


SITE_PORT = loopback_port(SITE_URL)

# Titles of the program's other windows (English texts). The download
# window's caption counts down once it has found nothing new.
EPISODE_CHECK_TITLE = "Updating TV Shows properties"
DOWNLOAD_WINDOW_TITLE = "Downloading new torrents"
COUNTDOWN_TITLES = "Closing in *"  # a driver title pattern

# Control IDs of the episode-check dialog.
LOAD_BAR = 1012
CURRENT_SHOW_LABEL = 1013
CHECK_COUNTER_LABEL = 1014
CANCEL_CHECK_BUTTON = 1015

# Control IDs of the new-episode download window.
DOWNLOAD_LABEL = 1034
DOWNLOAD_CLOSE_BUTTON = 1015

# Control IDs of the main window.
SHOW_LIST = 1003
STATUS_LINE = 1004
SETTINGS_BUTTON = 1005
DOWNLOAD_BUTTON = 1006
SITE_BANNER = 1009
SPINNER = 1010
REFRESH_BUTTON = 1011
BLACKLIST_LABEL = 1016
LANGUAGE_ICON = 1035
ABOUT_LINE = 1037
UPDATE_PROGRESS_BAR = 1038

# The buttons of a message box.
MESSAGE_BOX_BUTTONS = {"ok": 1, "cancel": 2, "yes": 6, "no": 7}

# Window styles.
WS_THICKFRAME = 0x00040000
WS_MINIMIZEBOX = 0x00020000
WS_MAXIMIZEBOX = 0x00010000
WS_SYSMENU = 0x00080000
WS_CAPTION = 0x00C00000

DRIVER_MARGIN_S = 10  # how much longer than its own time-out a driver command may take
START_WAIT_S = 15  # how long a start may take to show the main window before it counts as stalled
PROXY_VARIABLES = ("http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "no_proxy", "NO_PROXY",
                   "ftp_proxy", "FTP_PROXY", "all_proxy", "ALL_PROXY")

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tools"))
import kestrix_server  # noqa: E402
import wine_session  # noqa: E402


class HarnessError(Exception):
    pass


def say(text):
    """A line for the log of the run (pytest shows it with the scenario)."""
    print("\n" + text, flush=True)


def wait_until(predicate, timeout_s, interval_s=0.05):
    """Polls `predicate` until it returns something true or the time is up;
    returns its last value."""
    deadline = time.monotonic() + timeout_s
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval_s)


def driver_arg(value):
    """A text as the driver takes it: as is when plain ASCII, else the bytes in
    the ANSI code page as "hex:..."."""
    if isinstance(value, int):
        return str(value)
    if isinstance(value, str) and re.fullmatch(r"[ -~]*", value) and not value.startswith("hex:"):
        return value
    raw = value if isinstance(value, bytes) else value.encode("cp1252")
    return "hex:" + raw.hex()


def from_driver_text(raw):
    """A JSON string of the driver (bytes as \\u00XX) back to the program's text."""
    return json.loads(raw).encode("latin-1").decode("cp1252", errors="surrogateescape")


def show_list_page(shows):
    """The site's show list page for (page path, title) pairs, in page order,
    each written exactly as given (so "&amp;" stays as it is)."""
    rows = "".join('<tr>\r\n<td class="forum_thread_post"><a href="%s" class="thread_link">%s</a></td>\r\n'
                   '<td class="forum_thread_post">0</td>\r\n</tr>\r\n' % (path, title) for path, title in shows)
    return ("<html><head><title>Kestrix - TV Shows</title></head><body>\r\n"
            "<table class=\"forum_header_border\">\r\n" + rows + "</table>\r\n</body></html>\r\n")


def episode_page(title, episodes):
    """A show's page on the site, as the site writes it: one block per
    (code as the link spells it, size text) pair, e.g. ("s01e02", "350.5 MB"),
    in the order given, each with its episode link, the title ending in the
    size, and a magnet link named after the release."""
    slug = re.sub(r"[^a-z0-9]+", "-", title.lower()).strip("-")
    rows = []
    for n, (code, size) in enumerate(episodes):
        quality = "720p-hdtv-x264" if "GB" in size else "hdtv-x264"
        release = "%s.%s.%s-KXT" % (slug.replace("-", ".").title(), code.upper(), quality.replace("-", "."))
        rows.append(
            '<tr class="forum_header_border" name="hover">\r\n'
            '<td class="forum_thread_post"><a href="/ep/%d/%s-%s-%s-kxt/" title="%s %s (%s)" class="epinfo">%s</a>'
            '</td>\r\n<td class="forum_thread_post"><a href="%s" class="magnet" title="%s Magnet Link"></a></td>\r\n'
            '<td class="forum_thread_post">%s</td>\r\n</tr>\r\n'
            % (50000 + n, slug, code, quality, title, code.upper(), size, release, magnet_link(release), title, size))
    return ("<html><head><title>%s | Kestrix</title></head><body>\r\n<h1>%s</h1>\r\n"
            '<table class="forum_header_noborder">\r\n%s</table>\r\n</body></html>\r\n' % (title, title, "".join(rows)))


def magnet_link(release):
    return "magnet:?xt=urn:btih:%s&dn=%s&tr=udp%%3A%%2F%%2Ftracker.kestrix.example%%3A1337" % (
        hashlib.sha1(release.encode("ascii")).hexdigest(), release)


def episode_page_path(show_path):
    """The URL path the program reads a show's episode page from, for the
    path its show list entry links to: the path without its leading and
    trailing "/", between a "/" and a "/"."""
    return "/" + show_path.strip().strip("/") + "/"


def find_free_display(first=97, last=150):
    for n in range(first, last):
        if not os.path.exists("/tmp/.X%d-lock" % n) and not os.path.exists("/tmp/.X11-unix/X%d" % n):
            return n
    raise HarnessError("no free X display between :%d and :%d" % (first, last))


class WineSession:
    """The display and the booted template prefix shared by all scenarios."""

    def __init__(self, exe, driver, recorder, artifacts):
        self.exe, self.driver, self.recorder = Path(exe), Path(driver), Path(recorder)
        self.artifacts = Path(artifacts)
        self.xvfb = None
        self.display = None
        self.workdir = Path(tempfile.mkdtemp(prefix="epiloom-e2e-"))
        self.template = self.workdir / "template"
        self.timings = {}
        self.spare = None
        self.prefixes = 0

    def base_env(self, prefix):
        env = {k: v for k, v in os.environ.items() if k not in PROXY_VARIABLES}
        env.update({
            "WINEPREFIX": str(prefix),
            # Wine's own errors stay on: they are the only word on why a
            # start ended at once (a display or DLL it could not open).
            "WINEDEBUG": "-all,err+all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "DISPLAY": self.display,
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
        })
        return env

    def start(self):
        if SITE_PORT is None or loopback_port(UPDATE_HOST) != SITE_PORT:
            raise HarnessError("the build's site address %s and update host %s must name one port on 127.0.0.1"
                               % (SITE_URL, UPDATE_HOST))
        for binary in ("wine", "wineserver", "Xvfb", "import", "xdotool"):
            if not shutil.which(binary):
                raise HarnessError("%s is not installed (run tools/setup.sh)" % binary)
        self.start_display()
        started = time.monotonic()
        wine_session.retry_while_wine_fails(self.boot_template, self.discard_template,
                                            "[e2e] booting the template prefix", say=say)
        self.timings["prefix boot"] = time.monotonic() - started
        return self

    def start_display(self):
        for _ in range(5):
            n = find_free_display()
            log = open(self.workdir / "xvfb.log", "wb")
            # -noreset: by default the X server resets whenever its last
            # client leaves, and a Wine program that connects during the reset
            # cannot open the display: Wine then ends it at once, silently,
            # with exit code 1, or it hangs before its first window. Between
            # two programs of a scenario the session can have no X client.
            proc = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
                                     "-noreset"], stdout=log, stderr=subprocess.STDOUT)
            log.close()
            if wait_until(lambda: proc.poll() is not None or os.path.exists("/tmp/.X11-unix/X%d" % n), 10):
                if proc.poll() is None:
                    self.xvfb, self.display = proc, ":%d" % n
                    return
            if proc.poll() is None:
                proc.terminate()
                proc.wait(timeout=5)
        raise HarnessError("Xvfb did not start")

    def boot_template(self):
        """Boots the template prefix; returns (None, Wine's fault lines of the
        boot). Wine's output goes to a file: the session's services inherit it."""
        env = self.base_env(self.template)
        log_path = self.workdir / "boot.log"
        log_path.unlink(missing_ok=True)

        def run(args, timeout):
            with open(log_path, "ab") as log:
                done = subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                                      timeout=timeout)
            faults = wine_session.fault_lines(wine_session.read_log(log_path))
            if done.returncode != 0 and not faults:
                raise HarnessError("%s failed (%d): %s" % (" ".join(args), done.returncode,
                                                           wine_session.read_log(log_path)[-2000:]))
            return faults

        faults = run(["wineboot", "-i"], 180)
        if faults:
            return None, faults
        # Debian's Wine does not find its own fonts (Marlett for the caption
        # buttons, Tahoma, MS Sans Serif) where fonts-wine puts them; in the
        # prefix's Fonts folder it does.
        fonts = self.template / "drive_c" / "windows" / "Fonts"
        for font in Path("/usr/share/wine/fonts").glob("*.ttf"):
            shutil.copy2(font, fonts / font.name)
        tools = self.template / "drive_c" / "e2e"
        (tools / "http").mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.recorder, tools / "recorder.exe")
        shutil.copy2(self.recorder, tools / "http" / "recorder.exe")
        # Managed=N: without a window manager every hide would stall ~2 s.
        # No crash dialog: a crash ends the process with an error code.
        # A "magnet:" handler that records what it is given, and one for
        # "http:" (the browser), in its own folder so it writes its own file.
        reg = "\r\n".join([
            "REGEDIT4",
            "",
            "[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]",
            "\"Managed\"=\"N\"",
            "",
            "[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]",
            "\"ShowCrashDialog\"=dword:00000000",
            "",
            "[HKEY_CLASSES_ROOT\\magnet]",
            "@=\"URL:magnet\"",
            "\"URL Protocol\"=\"\"",
            "",
            "[HKEY_CLASSES_ROOT\\magnet\\shell\\open\\command]",
            "@=\"\\\"C:\\\\e2e\\\\recorder.exe\\\" \\\"%1\\\"\"",
            "",
            "[-HKEY_CLASSES_ROOT\\http\\shell\\open\\ddeexec]",
            "",
            "[HKEY_CLASSES_ROOT\\http]",
            "@=\"URL:HyperText Transfer Protocol\"",
            "\"URL Protocol\"=\"\"",
            "",
            "[HKEY_CLASSES_ROOT\\http\\shell\\open\\command]",
            "@=\"\\\"C:\\\\e2e\\\\http\\\\recorder.exe\\\" \\\"%1\\\"\"",
            "",
        ])
        (tools / "settings.reg").write_bytes(reg.encode("ascii"))
        faults = run(["wine", "regedit", "/S", "C:\\e2e\\settings.reg"], 60) or run(["wineserver", "-w"], 60)
        if faults:
            return None, faults
        registry = (self.template / "system.reg").read_text(errors="replace")
        if "e2e\\\\recorder.exe" not in registry or "e2e\\\\http\\\\recorder.exe" not in registry:
            raise HarnessError("the magnet and http handlers did not reach the template prefix's registry")
        return None, []

    def discard_template(self):
        """Ends the template's Wine session and removes it, for a new boot."""
        wine_session.end_session(self.base_env(self.template))
        shutil.rmtree(self.template, ignore_errors=True)

    def copy_prefix(self, dest):
        """A working copy of the template. The large DLL folders are hard links:
        nothing a scenario runs writes there, and it makes a copy take a blink."""
        shared = [str(self.template / "drive_c" / "windows" / d) + os.sep for d in ("system32", "syswow64", "winsxs")]

        def copy(src, dst):
            if any(src.startswith(s) for s in shared):
                os.link(src, dst)
            else:
                shutil.copy2(src, dst)

        shutil.copytree(self.template, dest, symlinks=True, copy_function=copy)

    def new_prefix(self):
        """A fresh copy of the template whose Wine session already runs.

        The first program in a prefix waits ~2.5 s for Wine's own services
        to start; so while one scenario runs, the next one's copy is made and
        its session started (kept alive with `wineserver -p`)."""
        if self.spare is None:
            self.warm_spare()
        path, thread = self.spare
        thread.join(timeout=180)
        self.warm_spare()
        return path

    def warm_spare(self):
        self.prefixes += 1
        path = self.workdir / ("prefix-%d" % self.prefixes)

        def warm():
            try:
                self.copy_prefix(path)
                self.start_wine(self.base_env(path), "[e2e] the Wine session of %s" % path.name)
            except (OSError, subprocess.SubprocessError):
                pass  # the scenario that takes this copy finds out

        thread = threading.Thread(target=warm, daemon=True)
        thread.start()
        self.spare = (path, thread)

    def start_wine(self, env, what):
        """Starts the Wine session of env's prefix and keeps it alive
        (`wineserver -p`): its services and its desktop process, which the
        driver's "windows" verb needs. A session that Wine broke at its start
        is ended and started afresh (bounded, logged)."""
        log_path = Path(env["WINEPREFIX"] + ".start.log")

        def attempt():
            log_path.unlink(missing_ok=True)
            for args in (["wineserver", "-p"], ["wine", str(self.driver), "windows"]):
                # To a file, not a pipe: the services and the desktop process
                # inherit it and live on.
                with open(log_path, "ab") as log:
                    subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                                   timeout=120)
            return None, wine_session.fault_lines(wine_session.read_log(log_path))

        wine_session.retry_while_wine_fails(attempt, lambda: wine_session.end_session(env), what, say=say)

    def screenshot(self, path):
        try:
            subprocess.run(["import", "-display", self.display, "-window", "root", str(path)],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        except subprocess.TimeoutExpired:
            pass

    def stop(self):
        if self.spare is not None:
            path, thread = self.spare
            thread.join(timeout=180)
            wine_session.end_session(self.base_env(path))
        if self.template.exists():
            wine_session.end_session(self.base_env(self.template))
        if self.xvfb and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait(timeout=10)
        shutil.rmtree(self.workdir, ignore_errors=True)


def compact_backtraces(text, frames=8):
    """winedbg's backtraces as a few lines: per thread its top frames and the
    program's own, each as "function in module" (or "module+offset" without
    symbols)."""
    lines = []
    for line in text.splitlines():
        header = re.match(r"Backtracing for thread (\w+) in process (\w+)", line)
        frame = re.match(r"\s*(?:=>)?(\d+) 0x[0-9a-f]+ (.*)$", line)
        if header:
            lines.append("thread %s of process %s:" % header.groups())
        elif frame and (int(frame.group(1)) < frames or " in epiloom " in frame.group(2)
                        or frame.group(2).startswith("in epiloom ")):
            where = frame.group(2)
            symbol = re.match(r"in (\S+) \((\+0x[0-9a-f]+)\)", where)
            named = re.match(r"([^\s(]+).* in (\S+) \(", where)
            lines.append("  #%s %s" % (frame.group(1), symbol.group(1) + symbol.group(2) if symbol
                                       else "%s in %s" % named.groups() if named else where[:80]))
    return "\n".join(lines) or text[-2000:]


class Driver:
    """One epiloom_driver.exe in "serve" mode: a command per line, an answer per line."""

    def __init__(self, exe, env, log_path):
        self.log_path = Path(log_path)
        self.log = open(log_path, "ab")
        self.log_start = self.log_size()  # this driver's part of the log begins here
        self.proc = subprocess.Popen(["wine", str(exe), "serve"], env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self.log, bufsize=0)
        self.buffer = b""

    def __call__(self, *args, timeout_s=None):
        """Runs one command; returns (exit code, result text)."""
        if self.proc.poll() is not None:
            raise HarnessError("the driver has ended")
        line = "\t".join(driver_arg(a) for a in args) + "\n"
        self.proc.stdin.write(line.encode("ascii"))
        self.proc.stdin.flush()
        own = max([int(a) for a in args[1:] if isinstance(a, int)] + [0]) / 1000.0
        deadline = time.monotonic() + (timeout_s if timeout_s is not None else own + DRIVER_MARGIN_S)
        while b"\n" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.proc.stdout], [], [], left)[0]:
                self.stop()
                raise HarnessError("the driver did not answer %r in time" % (args,))
            chunk = os.read(self.proc.stdout.fileno(), 65536)
            if not chunk:
                raise HarnessError("the driver ended while answering %r" % (args,))
            self.buffer += chunk
        answer, self.buffer = self.buffer.split(b"\n", 1)
        code, _, text = answer.decode("ascii").rstrip("\r").partition("\t")
        return int(code), text

    def log_size(self):
        """Where the driver's log (its errors, and those of the Wine
        processes it started) ends now."""
        return self.log_path.stat().st_size if self.log_path.exists() else 0

    def stop(self):
        if self.proc.poll() is None:
            try:
                self.proc.stdin.close()
            except OSError:
                pass
            try:
                self.proc.wait(timeout=3)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(timeout=10)
        self.log.close()


class Scenario:
    """One run of the program in its own prefix copy and folder."""

    def __init__(self, session, tmp_path, name):
        self.session = session
        self.name = re.sub(r"[^A-Za-z0-9_.-]+", "_", name).strip("_")
        self.tmp = Path(tmp_path)
        self.processes = []
        self.locked = []
        self._driver = None
        self.watching = False
        self.site = None
        self.closed_sites = []  # servers whose port was closed while answers were under way
        self.shots = 0
        self._last_click = 0.0  # when the last real click was made (time.monotonic)
        self.start_trouble = None  # what a start that showed no window was doing
        self.launches = 0
        self.prefix = session.new_prefix()
        self.env = session.base_env(self.prefix)
        try:
            self.folder = self.prefix / "drive_c" / "Epiloom"
            self.folder.mkdir()
            shutil.copy2(session.exe, self.folder / "Epiloom.exe")
            self.site_dir = self.tmp / "site"
            self.site_dir.mkdir()
            self.fixture_site = kestrix_server.FixtureSite(self.site_dir)
            self.earlier_requests = []  # paths asked of the site before it was last stopped
            self.start_site()
        except BaseException:
            self.teardown()
            raise

    # --- the fixture site --------------------------------------------------

    def serve(self, path, body):
        """Puts a file on the site: `path` as in the URL, `body` bytes or text."""
        rel = path.lstrip("/")
        if rel == "" or rel.endswith("/"):
            rel += "index.html"
        target = self.site_dir / rel
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(body if isinstance(body, bytes) else body.encode("cp1252"))

    def serve_shows(self, shows, episodes=None):
        """The show list page of these (path, title) shows, and an episode page
        for each: with the episodes `episodes` gives for its title
        ({title: [(code, size), ...]}), else with none, so that nothing of
        it is ever new."""
        self.serve("/showlist/", show_list_page(shows))
        for path, title in shows:
            self.serve(episode_page_path(path), episode_page(title, (episodes or {}).get(title, [])))

    def route(self, path, **behaviour):
        """A special answer for `path`: status=, body=, silent=True, stall=True, delay_ms=."""
        self.fixture_site.routes[path] = behaviour

    def hold(self, path, seconds=None):
        """The site answers `path` only when release(path) is called (or after
        `seconds`): until then it keeps the connection busy with blank lines,
        so the program's download neither ends nor times out."""
        self.fixture_site.hold(path, seconds)

    def release(self, path=None):
        """Lets held answers go: those to `path`, or all."""
        self.fixture_site.release(path)

    def stop_site(self):
        """Takes the site off the network: connections to its port are refused
        until start_site(). Its files, routes and request log are kept."""
        if self.site is not None:
            self.earlier_requests += self.site.paths()
            self.site.stop()
            self.site = None

    def close_port(self):
        """Closes the site's port at this moment: connections are refused
        until start_site(), while answers already under way go on (a held
        one until it is released). Site and update server share the port,
        so a source is refused from the moment this is called, e.g. while
        the request before it is held."""
        if self.site is not None:
            self.site.stop_listening()
            self.earlier_requests += self.site.paths()
            self.closed_sites.append(self.site)
            self.site = None

    def start_site(self):
        if self.site is not None:
            return
        try:
            self.site = kestrix_server.KestrixServer(SITE_PORT, self.fixture_site,
                                                     log_path=str(self.tmp / "requests.log")).start()
        except OSError as e:
            raise HarnessError("cannot serve the fixture site on 127.0.0.1:%d (%s): is another test run "
                               "using it?" % (SITE_PORT, e.strerror)) from e

    def hold_update_check(self):
        """The update server takes each of its two files to the download
        time-out, so the window stays in its first phase (status line on the
        version-check text) long enough to be read."""
        self.route("/Epiloom/lastversion.dat", silent=True)
        self.route("/Epiloom/languages.dat", silent=True)

    def requested(self):
        """The URL paths asked for so far, in order."""
        return self.earlier_requests + (self.site.paths() if self.site is not None else [])

    def wait_requested(self, path, timeout_s=15):
        """Waits until the site was asked for `path`; returns whether it was."""
        return bool(wait_until(lambda: path in self.requested(), timeout_s))

    # --- the program ---------------------------------------------------------

    def start(self):
        """Starts Epiloom.exe and waits for its window (or its end); returns
        its process (exit code via .wait())."""
        self.start_trouble = None
        asked = len(self.requested())

        def attempt():
            proc = self.launch()
            shown = self.wait_started(proc)
            return (proc, shown), [] if shown else self.start_faults(proc, asked)

        proc, shown = wine_session.retry_while_wine_fails(attempt, self.new_wine_session,
                                                          "[e2e] %s: the start" % self.name, say=say)
        if not shown and proc.poll() is None and len(self.requested()) == asked:
            # A start that stalls before any of its code runs: no window, no
            # request, no exit, and no word from Wine. Seen, rarely, while
            # Xvfb still reset between clients (see start_display); kept as
            # a guard. What it was doing goes to the log; then the start is
            # made once more in a new Wine session. A program that hangs by
            # itself hangs again and the scenario still fails.
            say("[e2e] %s: no window and no request after %d s, the start stalled; its threads:\n%s"
                % (self.name, START_WAIT_S, self.backtraces()))
            self.screenshot("stalled-start")
            self.new_wine_session()
            proc = self.launch()
        elif not shown and proc.poll() is None:
            threads = self.backtraces()
            say("[e2e] %s: no window after %d s, though the program asked for %r; its threads:\n%s"
                % (self.name, START_WAIT_S, self.requested()[asked:], threads))
            # Kept short for the end of the log, where a failure is read.
            self.start_trouble = "after %d s the program had asked for %r, its threads were at:\n%s" % (
                START_WAIT_S, self.requested()[asked:], compact_backtraces(threads))
        return proc

    def start_faults(self, proc, asked):
        """Wine's lines saying that a start which showed no window failed for
        Wine's own reasons (tools/wine_session.py): from the program's log
        and the driver's since it started. None when the program asked the
        site for anything: then its own code ran, and what it did is its own."""
        if len(self.requested()) != asked:
            return []
        text = wine_session.read_log(proc.log_path)
        if self._driver is not None:
            text += wine_session.read_log(self._driver.log_path, proc.driver_log_start)
        faults = wine_session.fault_lines(text)
        if faults and any(p.poll() is None for p in self.processes if p is not proc):
            raise HarnessError("the start failed for Wine's own reasons while an earlier start of the program ran "
                               "(a new Wine session would end it):\n%s" % "\n".join(faults))
        return faults

    def new_wine_session(self):
        """Ends the scenario's Wine session (the driver and every program
        started in it) and starts a new one in the same prefix; the next
        start then finds it ready, as a scenario's first start does."""
        if self._driver is not None:
            self._driver.stop()
            self._driver = None
        wine_session.end_session(self.env)
        for proc in self.processes:
            self.kill(proc)  # also one that stalled before Wine knew it
        self.processes.clear()
        self.session.start_wine(self.env, "[e2e] %s: the new Wine session" % self.name)

    def wait_started(self, proc):
        """Whether the main window is up within START_WAIT_S; False at once
        when the program ends first (a second copy leaves quietly)."""
        ended_or_shown = wait_until(lambda: proc.poll() is not None or self.drive("wait-window", TITLE, 500)[0] == 0,
                                    START_WAIT_S, interval_s=0)
        return bool(ended_or_shown) and proc.poll() is None

    def backtraces(self):
        """The threads of the session's Epiloom processes, as winedbg sees
        them (Wine's own services left out)."""
        try:
            done = subprocess.run(["wine", "winedbg", "--command", "bt all"], env=self.env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=90)
        except subprocess.TimeoutExpired:
            return "(winedbg did not answer within 90 s)"
        blocks = done.stdout.decode("utf-8", errors="replace").split("Backtracing for thread")
        ours = ["Backtracing for thread" + b for b in blocks[1:] if "Epiloom.exe)" in b.split("\n", 1)[0]]
        return "".join(ours) or "(no Epiloom process known to Wine)"

    def launch(self):
        """Starts Epiloom.exe without waiting; the driver runs first, so a
        session that Wine broke is seen and made anew before the program
        starts in it."""
        driver = self.drive
        log_path = self.tmp / ("wine-%d.log" % self.launches)
        self.launches += 1
        driver_log_start = driver.log_size()
        log = open(log_path, "wb")
        proc = subprocess.Popen(["wine", str(self.folder / "Epiloom.exe")], cwd=str(self.folder), env=self.env,
                                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
        log.close()
        proc.log_path, proc.driver_log_start = log_path, driver_log_start
        self.processes.append(proc)
        return proc

    def wine_log(self, proc, lines=8):
        """The last lines Wine wrote for a start (its errors)."""
        text = proc.log_path.read_bytes().decode("utf-8", errors="replace") if proc.log_path.exists() else ""
        return "\n".join(text.splitlines()[-lines:]) or "(nothing)"

    def run_console(self, exe, *args, timeout_s=60):
        """Copies a console program into the program folder and runs it there
        to its end; returns (exit code, its standard output as text). A run
        that Wine broke is made again in a new session, while no program of
        the scenario runs (that would end it)."""
        target = self.folder / Path(exe).name
        shutil.copy2(exe, target)
        log_path = self.tmp / ("%s.log" % target.stem)

        def attempt():
            try:
                with open(log_path, "wb") as log:
                    done = subprocess.run(["wine", str(target), *args], cwd=str(self.folder), env=self.env,
                                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=log,
                                          timeout=timeout_s)
            except subprocess.TimeoutExpired:
                raise HarnessError("%s did not end within %d s" % (Path(exe).name, timeout_s))
            faults = wine_session.fault_lines(wine_session.read_log(log_path))
            if faults and any(p.poll() is None for p in self.processes):
                raise HarnessError("%s failed for Wine's own reasons while the program ran:\n%s"
                                   % (Path(exe).name, "\n".join(faults)))
            return done, faults

        done = wine_session.retry_while_wine_fails(attempt, self.new_wine_session,
                                                   "[e2e] %s: %s" % (self.name, target.name), say=say)
        return done.returncode, done.stdout.decode("cp1252", errors="replace")

    def kill(self, proc):
        """Ends the program's process at once (SIGKILL), as a shutdown or a
        crash would: nothing it has not written by now reaches the disk.
        `wine Epiloom.exe` execs the Wine loader, so the process started is
        the program's own."""
        if proc.poll() is None:
            os.kill(proc.pid, signal.SIGKILL)
        return proc.wait(timeout=15)

    def wait_exit(self, proc, timeout_s=15):
        try:
            return proc.wait(timeout=timeout_s)
        except subprocess.TimeoutExpired:
            raise HarnessError("the program did not end within %d s" % timeout_s)

    @property
    def drive(self):
        """The driver, started on first use: drive("text", TITLE, 1004) -> (code, result)."""
        if self._driver is None:
            self._driver = self.start_driver()
        return self._driver

    def start_driver(self):
        """A driver that has answered once. A driver whose start Wine broke is
        ended with its session and started in a new one (while no program of
        the scenario runs, which that would end); one whose start stalled
        without a word from Wine is ended and another one started."""

        def attempt():
            driver = Driver(self.session.driver, self.env, self.tmp / "driver.log")
            try:
                driver("windows", timeout_s=START_WAIT_S)
                answered = True
            except HarnessError:
                answered = False
            faults = wine_session.fault_lines(wine_session.read_log(driver.log_path, driver.log_start))
            if faults and any(p.poll() is None for p in self.processes):
                driver.stop()
                raise HarnessError("the driver's start failed for Wine's own reasons while the program ran:\n%s"
                                   % "\n".join(faults))
            if faults:
                driver.stop()
            return (driver, answered, faults), faults

        driver, answered, faults = wine_session.retry_while_wine_fails(
            attempt, self.new_wine_session, "[e2e] %s: the driver's start" % self.name, say=say)
        if faults:
            raise HarnessError("Wine failed the driver's start in %d Wine sessions in a row:\n%s"
                               % (wine_session.RESTARTS + 1, "\n".join(faults)))
        if not answered:
            say("[e2e] %s: the driver did not answer within %d s, its start stalled; starting another"
                % (self.name, START_WAIT_S))
            driver.stop()
            driver = Driver(self.session.driver, self.env, self.tmp / "driver.log")
        if self.watching:
            driver("watch")  # a new driver: what an earlier start showed is no news
        return driver

    def ask(self, *args):
        """A driver command that must succeed; returns its result."""
        code, text = self.drive(*args)
        if code != 0:
            raise HarnessError("driver %r failed (%d): %s" % (args, code, text))
        return text

    def wait_window(self, title=TITLE, timeout_ms=30000):
        code, text = self.drive("wait-window", title, timeout_ms)
        if code != 0:
            last = "; Wine's log of the last start:\n" + self.wine_log(self.processes[-1]) if self.processes else ""
            raise HarnessError("no window %r within %d ms (%s); the programs: %s; last requests: %r; windows: %r%s%s"
                               % (title, timeout_ms, text, self.process_states(), self.requested()[-6:],
                                  self.windows(), "; at the start, " + self.start_trouble if self.start_trouble else "",
                                  last))
        return json.loads(text)

    def process_states(self):
        """The scenario's program starts, each running or with its exit code."""
        return ", ".join("running" if p.poll() is None else "ended (%d)" % p.returncode for p in self.processes)

    def window_count(self, title=TITLE):
        return int(self.ask("count", title))

    def text(self, control, title=TITLE):
        return from_driver_text(self.ask("text", title, control))

    def wait_text(self, control, part, timeout_ms=10000, title=TITLE):
        """Waits until the control's text contains `part`; returns the text, or
        raises with the last text seen."""
        code, text = self.drive("wait-text", title, control, part, timeout_ms)
        if code != 0:
            raise HarnessError("control %d never showed %r; last text %r" % (control, part, from_driver_text(text)
                                                                          if text.startswith('"') else text))
        return from_driver_text(text)

    def wait_show_list(self, part="available", timeout_ms=15000, title=TITLE):
        """Waits until a show list load has ended well: the show count on the
        status line (its text contains `part`; the loading worker writes it
        before the other counts) and the spinner hidden (by the window, once
        it has seen the worker end). Returns the status text."""
        self.wait_text(STATUS_LINE, part, timeout_ms, title)
        hidden, state = self.wait_state(SPINNER, "hidden", 5000, title)
        if not hidden:
            raise HarnessError("the spinner stayed after the show list was loaded: %r" % (state,))
        return self.text(STATUS_LINE, title)

    def state(self, control, title=TITLE):
        return json.loads(self.ask("state", title, control))

    def wait_state(self, control, want, timeout_ms=5000, title=TITLE):
        code, text = self.drive("wait-state", title, control, want, timeout_ms)
        return code == 0, json.loads(text) if text.startswith("{") else text

    def window(self, title=TITLE):
        """Style, rects, class, pid, enabled, owner (title) of a top-level window."""
        result = json.loads(self.ask("window", title))
        result["owner"] = result["owner"].encode("latin-1").decode("cp1252", errors="surrogateescape")
        return result

    def wait_gone(self, title, timeout_ms=10000):
        """Waits until no visible top-level window has this title; returns
        whether none has."""
        return self.drive("gone", title, timeout_ms)[0] == 0

    def watch_windows(self):
        """From now on the driver notes every top-level window that becomes
        visible, also one that is gone again within milliseconds."""
        self.ask("watch")
        self.watching = True

    def seen_windows(self):
        """Windows that became visible since watch_windows():
        [{"title", "class", "pid", "at" (ms)}], in order."""
        result = json.loads(self.ask("seen"))
        for w in result:
            w["title"] = w["title"].encode("latin-1").decode("cp1252", errors="surrogateescape")
        return result

    def close_download_window(self, timeout_ms=15000):
        """Waits until the new-episode download window has found nothing new
        (its caption counts down to the end of the program), presses its
        Close button and waits until it is gone. Returns its label's text."""
        code, text = self.drive("wait-window", COUNTDOWN_TITLES, timeout_ms)
        if code != 0:
            raise HarnessError("no download window counting down; windows now: %r" % (self.windows(),))
        label = from_driver_text(self.ask("text", COUNTDOWN_TITLES, DOWNLOAD_LABEL))
        self.ask("click", COUNTDOWN_TITLES, DOWNLOAD_CLOSE_BUTTON)
        if not self.wait_gone(COUNTDOWN_TITLES, 5000):
            raise HarnessError("the download window stayed after its Close button")
        return label

    def end_session(self, title=TITLE, timeout_ms=5000):
        """What the system sends a window when the user logs off: first
        WM_QUERYENDSESSION, then WM_ENDSESSION with wParam TRUE. Returns the
        window's answer to the first (non-zero: the session may end)."""
        answer = json.loads(self.ask("query-end-session", title, timeout_ms))["answer"]
        self.ask("end-session", title, 1, timeout_ms)
        return answer

    def windows(self):
        """Visible top-level windows of the session: [{"title", "class", "pid"}]."""
        result = json.loads(self.ask("windows"))
        for w in result:
            w["title"] = w["title"].encode("latin-1").decode("cp1252", errors="surrogateescape")
        return result

    def list_items(self, control=SHOW_LIST, title=TITLE):
        result = json.loads(self.ask("list", title, control))
        return [(i["text"].encode("latin-1").decode("cp1252", errors="surrogateescape"), i["data"])
                for i in result["items"]]

    def click(self, control, title=TITLE):
        return self.drive("click", title, control)

    def message_box(self, caption="Epiloom", timeout_ms=5000):
        """The message box with this caption: {"text", "buttons", "icon", "owner"}, or None."""
        code, text = self.drive("msgbox", caption, timeout_ms)
        if code != 0:
            return None
        box = json.loads(text)
        box["text"] = box["text"].encode("latin-1").decode("cp1252", errors="surrogateescape")
        return box

    def answer(self, button, caption="Epiloom", timeout_ms=5000):
        self.ask("answer", caption, button, timeout_ms)

    def menu_shown(self):
        return any(w["class"] == "#32768" for w in self.windows())

    def menu_checks(self, control, title=TITLE, timeout_s=5, screenshot=None):
        """Clicks `control`, reads which items of the popup menu it opens carry
        a check mark (from the menu's pixels), dismisses the menu; returns one
        bool per item, top to bottom."""
        code, text = self.click(control, title)
        if code != 0:
            raise HarnessError("cannot click %d: %s" % (control, text))
        marks = json.loads(self.ask("menu-marks", timeout_s * 1000))
        if screenshot:
            self.screenshot(screenshot)
        self.ask("menu-pick", "none", timeout_s * 1000)
        if not wait_until(lambda: not self.menu_shown(), timeout_s):
            raise HarnessError("the popup menu of %d did not close" % control)
        return [item["checked"] for item in marks]

    def pick_from_menu(self, control, position, title=TITLE, timeout_s=5):
        """Clicks `control`, picks the item at `position` (0-based; "none"
        dismisses the menu) from the popup menu it opens, and waits until the
        menu is gone, so that what the choice does has been done when this
        returns (the program handles the choice on the thread that answers
        the driver's reads)."""
        code, text = self.click(control, title)
        if code != 0:
            raise HarnessError("cannot click %d: %s" % (control, text))
        self.ask("menu-pick", position, timeout_s * 1000)
        if not wait_until(lambda: not self.menu_shown(), timeout_s):
            raise HarnessError("the popup menu of %d did not close" % control)

    # --- real input through the X server ---------------------------------------
    #
    # xdotool sends the events through the XTest extension of the scenario's
    # Xvfb, so they reach the program as a user's hand does: through Wine's
    # input, with mouse capture, focus and activation, unlike the driver's
    # posted messages. The driver only says where things are.

    def xdotool(self, *args):
        try:
            done = subprocess.run(["xdotool", *[str(a) for a in args]], env=dict(os.environ,
                                  DISPLAY=self.session.display), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, timeout=15)
        except subprocess.TimeoutExpired:
            raise HarnessError("xdotool %r did not end within 15 s" % (args,))
        if done.returncode != 0:
            raise HarnessError("xdotool %r failed: %s" % (args, done.stdout.decode(errors="replace")))

    def where(self, control, title=TITLE, item=None):
        """Where a control (or an item of a list box) lies on the screen:
        {"rect": [l, t, r, b], "client": [x, y] (its client area's origin),
        "visible" (items only: wholly inside the list)}."""
        return json.loads(self.ask("where", title, control, *([] if item is None else [item])))

    def input_state(self, title=TITLE):
        """The input state of the thread running the window: "capture",
        "focus", "active", "foreground" (each {"title", "class", "id"} or
        None), "in_menu", "in_move"."""
        state = json.loads(self.ask("input", title))
        for key in ("capture", "focus", "active", "foreground"):
            if state[key] is not None:
                state[key]["title"] = state[key]["title"].encode("latin-1").decode("cp1252", errors="surrogateescape")
        return state

    def screen_point(self, control, title=TITLE, at=None, item=None):
        """The screen pixel of a point of a control: `at` in its client pixels
        (x, y), or its middle; with a list item, x of `at` (or the item's
        middle) at the item's middle height."""
        place = self.where(control, title, item)
        left, top, right, bottom = place["rect"]
        if item is not None:
            if not place["visible"]:
                raise HarnessError("item %d of control %d is not in view" % (item, control))
            x = place["client"][0] + at[0] if at else (left + right) // 2
            return x, (top + bottom) // 2
        if at:
            return place["client"][0] + at[0], place["client"][1] + at[1]
        return (left + right) // 2, (top + bottom) // 2

    def real_click(self, control, title=TITLE, at=None, item=None, button="left"):
        """A click of a real mouse (left or right button) at a point of a
        control (see screen_point). Clicks on one spot come no sooner than the
        double-click time after each other, so that each is a click of its own."""
        x, y = self.screen_point(control, title, at, item)
        since = time.monotonic() - self._last_click
        if since < 0.6:
            time.sleep(0.6 - since)
        self.mouse_to(x, y)
        self.xdotool("click", {"left": 1, "middle": 2, "right": 3}[button])
        self._last_click = time.monotonic()

    def mouse_to(self, x, y):
        """Moves the real mouse to a screen pixel and lets the program see it
        there before anything else comes. (xdotool's --sync, which waits
        for the move, never returned here on some moves.)"""
        self.xdotool("mousemove", x, y)
        time.sleep(0.1)

    def real_answer(self, button, caption="Epiloom", timeout_ms=5000):
        """Answers the message box with a real click on its button ("yes",
        "no", "ok"); returns what the box showed. Waits until it is gone."""
        box = self.message_box(caption, timeout_ms)
        if box is None:
            raise HarnessError("no message box %r; windows: %r" % (caption, self.windows()))
        # A box read before its first paint shows no icon yet: read again
        # once it has had time to paint (a wrong icon reads as another kind).
        deadline = time.monotonic() + 2
        while box["icon"] == "unknown" and time.monotonic() < deadline:
            time.sleep(0.2)
            box = self.message_box(caption, timeout_ms) or box
        self.real_click(MESSAGE_BOX_BUTTONS[button], caption)
        if not self.wait_gone(caption, 5000):
            raise HarnessError("the message box %r stayed after a click on %s" % (caption, button))
        return box

    def activate(self, title):
        """Makes the window the active one, as a user does: a click on its
        caption, unless it is active already."""
        def active():
            window = self.input_state(title)["active"]
            named = window is not None and window["id"] == 0
            # A title ending in "*" names every title that begins with the rest.
            return named and (window["title"].startswith(title[:-1]) if title.endswith("*") else window["title"] == title)

        if active():
            return
        left, top, right, _ = self.where(0, title)["rect"]
        x, y = (left + right) // 2, top + 10
        self.mouse_to(x, y)
        self.xdotool("click", 1)
        self._last_click = time.monotonic()
        if not wait_until(active, 3):
            raise HarnessError("the window %r did not become active: %r" % (title, self.input_state(title)))

    def real_keys(self, *keys, title=TITLE):
        """Keys of a real keyboard (X key names: "space", "Tab", "shift+Tab",
        "Escape", "Up", "Down", "Return"), typed into the window with this
        title, which is made active first as a user would."""
        self.activate(title)
        self.xdotool("key", "--delay", 60, *keys)

    def close_window(self, title=TITLE):
        """The close box."""
        self.ask("close", title)

    def close_and_wait(self, proc, title=TITLE, timeout_s=15):
        self.close_window(title)
        return self.wait_exit(proc, timeout_s)

    # --- files ---------------------------------------------------------------

    def file(self, name):
        return self.folder / name

    def files(self):
        return sorted(p.name for p in self.folder.iterdir())

    def recorded(self):
        """Command lines the magnet handler was started with, oldest first."""
        path = self.prefix / "drive_c" / "e2e" / "recorded.txt"
        return path.read_bytes().decode("cp1252").splitlines() if path.exists() else []

    def opened(self):
        """Addresses the "http:" handler (the browser) was asked to open,
        oldest first: the last quoted argument of each command line."""
        path = self.prefix / "drive_c" / "e2e" / "http" / "recorded.txt"
        lines = path.read_bytes().decode("cp1252").splitlines() if path.exists() else []
        return [re.findall(r'"([^"]*)"', line)[-1] if '"' in line else line for line in lines]

    def remove_magnet_handler(self):
        """Takes the "magnet:" handler out of the scenario's prefix, as on a
        system where no program takes magnet links: the shell's "open" of a
        magnet link then fails. Call before starting the program."""
        subprocess.run(["wine", "reg", "delete", "HKCR\\magnet", "/f"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        query = subprocess.run(["wine", "reg", "query", "HKCR\\magnet"], env=self.env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        if query.returncode == 0:
            raise HarnessError("the magnet handler is still registered in the scenario's prefix")

    def lock_folder(self):
        """Makes the program folder unwritable, also for root (immutable flag).
        Returns False when this file system or user cannot do that."""
        if os.geteuid() != 0:
            os.chmod(self.folder, 0o555)
            self.locked.append(("chmod", self.folder))
            return True
        done = subprocess.run(["chattr", "+i", str(self.folder)], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0
        if done:
            self.locked.append(("chattr", self.folder))
        return done

    def unlock_folders(self):
        for how, path in reversed(self.locked):
            if how == "chattr":
                subprocess.run(["chattr", "-i", str(path)], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            else:
                os.chmod(path, 0o755)
        self.locked = []

    # --- pictures and the end ------------------------------------------------

    def screenshot(self, label):
        self.shots += 1
        self.session.artifacts.mkdir(parents=True, exist_ok=True)
        path = self.session.artifacts / ("%s-%02d-%s.png" % (self.name, self.shots, label))
        self.session.screenshot(path)
        return path

    def teardown(self):
        try:
            if self._driver is not None:
                self._driver.stop()
            wine_session.end_session(self.env)
            for proc in self.processes:
                try:
                    proc.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait(timeout=10)
        finally:
            self.stop_site()
            for site in self.closed_sites:
                site.stop()
            self.unlock_folders()
            shutil.rmtree(self.prefix, ignore_errors=True)
