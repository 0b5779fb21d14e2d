"""Faults from the network, one row per fault and source: the show list page,
a favourite's episode page, lastversion.dat, languages.dat, a translation and
the updater, each refused, left unanswered, missing (404), failing with a
plausible body (500), cut short, answered with binary bytes, or larger than
the download size cap. Each row checks what the user sees (status text, box,
retry button), that the outcome comes within the download time-out plus the
program's own pause, what the program asked for, and that the program folder
holds afterwards exactly what it should: list files, language files and
language choice unchanged, no updater, a translation only when a download of
it succeeded.

All rows share one Wine prefix, driver and fixture site (the program folder
and the site are emptied between rows), so a row costs a program start, not
a prefix. A row ends as soon as its outcome is seen: rows on the update
server hold the show list that follows and close the window while it loads.

Site and update server share one port here, so "refused" means: the port is
closed from the moment the row's source is about to be asked, while the
request just before it is held, and it stays closed for what the same worker
asks next. After lastversion.dat, languages.dat or a translation, that is the
show list, so those rows end in the show list's no-connection state, whose
retry button then loads the list without asking the update server again. The
updater's refusal stays its own: the program asks before it downloads the
updater and shows a box after, and the port is opened again while that box is
up."""

import random
import shutil
import time

import pytest

from english_texts import BUILT_IN, default_english_file
from harness import (COUNTDOWN_TITLES, DOWNLOAD_WINDOW_TITLE, EPISODE_CHECK_TITLE, LANGUAGE_ICON, REFRESH_BUTTON,
                     STATUS_LINE, TITLE, WINDOWS_FOLDER, Scenario, episode_page, show_list_page, wait_until)
from translations import CHOICE_FILE, ENGLISH_FILE, FRENCH, language_file, read_window_texts, window_texts

LAST_VERSION = "/Epiloom/lastversion.dat"
LANGUAGES = "/Epiloom/languages.dat"
TRANSLATION = "/Epiloom/Epiloom.lang.FR"
UPDATER = "/Epiloom/Epiloom-updater.x"
SHOW_LIST = "/showlist/"
EPISODES = "/shows/1/first/"

PAGE = [("/shows/1/first/", "First"), ("/shows/2/second/", "Second"), ("/shows/3/third/", "Third")]
# First is a favourite that watched S01E01: its page offers S01E02, so a page
# read in spite of its fault would lead to the download window.
FIRST_EPISODES = [("s01e01", "350.0 MB"), ("s01e02", "350.5 MB")]

# The program folder before each run, each file already as the program
# writes it, so that a run that goes as it should leaves it as it is.
FOLDER = {
    "Epiloom.favorite": b"First|/shows/1/first>S01E01L\r\n",
    "Epiloom.blacklist": b"Third\r\n",
    "Epiloom.lang.EN": default_english_file(),
    CHOICE_FILE: b"[Epiloom]\r\nLang=EN\r\n",
}

DOWNLOAD_TIMEOUT_S = 1.5  # EPILOOM_DOWNLOAD_TIMEOUT_MS of the e2e build
FAILED_LOAD_PAUSE_S = 2.0  # the pause after a failed show list or episode page
SLACK_S = 2.5  # a program start, the driver's polling, a loaded machine
MAX_BYTES = 16 << 20  # WinInetFetcher::kDefaultMaxBytes, the cap the program ships with
OVER_CAP_S = 3.0  # 16 MiB over loopback, with room to spare

PROBLEM = BUILT_IN["Problem"].strip()
QUESTION = BUILT_IN["NewVersion1"] + "\n" + BUILT_IN["NewVersion2"]
NOTICE = (ENGLISH_FILE["LabelNewLng1"] + "\n\n" + ENGLISH_FILE["LabelNewLng2"] + " " + WINDOWS_FOLDER + "\n\n" +
          ENGLISH_FILE["LabelNewLng3"])

# Bytes of no text format, NUL bytes included. They begin with 0xD3, so as a
# version label they are newer than V1.6.
BINARY = random.Random(10).randbytes(4096)
assert b"\0" in BINARY


def binary_offers_an_update():
    """lastversion.dat: the label is what comes before the first ";",
    compared with V1.6 byte by byte, a longer label after a common start
    being the newer."""
    return BINARY.split(b";", 1)[0] > b"V1.6"


def binary_translation_paths():
    """languages.dat: the translations the program asks for when given
    BINARY: fields whose first two bytes are letters or digits name one (any
    other field names no file), EN is there already."""
    codes = [f[:2].decode("ascii") for f in BINARY.split(b";")
             if len(f) >= 2 and all(c < 128 and chr(c).isalnum() for c in f[:2])]
    return ["/Epiloom/Epiloom.lang." + c for c in codes if c != "EN"]


# --- what the user sees ----------------------------------------------------------

def box(text, icon, owner=TITLE, buttons=("ok",)):
    return {"text": text, "buttons": list(buttons), "icon": icon, "owner": owner}


class Outcome:
    """What a row ends in: `boxes` in the order they come after the fault
    (the question is answered No, other boxes OK); the status line's text
    key then; whether the retry button is shown; the program's own pause
    before the outcome; files the folder holds afterwards that differ from
    FOLDER; whether the check goes through to a download window that finds
    nothing new."""

    def __init__(self, name, status, boxes=(), retry=False, pause_s=0.0, files=None, nothing_new=False):
        self.name, self.status, self.boxes, self.retry = name, status, list(boxes), retry
        self.pause_s, self.files, self.nothing_new = pause_s, files or {}, nothing_new


GOES_ON = Outcome("nothing shown, the show list is read", "Populate")
NO_CONNECTION = Outcome("InternetError and the retry button", "InternetError", retry=True,
                        pause_s=FAILED_LOAD_PAUSE_S)
UNAVAILABLE = Outcome("Unavailable and the retry button", "Unavailable", retry=True, pause_s=FAILED_LOAD_PAUSE_S)
CHECK_PROBLEM = Outcome("Problem box of the check, no download window", "Available",
                        [box(PROBLEM, "error", EPISODE_CHECK_TITLE)], pause_s=FAILED_LOAD_PAUSE_S)
# A page without an episode link is a show without episodes (not aired yet):
# the check goes on, and the download window finds nothing new. The
# favourite's last watched episode stays.
NOTHING_NEW = Outcome("no box: a show without episodes, the download window finds nothing new", "Available",
                      nothing_new=True)
UPDATE_PROBLEM = Outcome("Problem box, no updater, the show list is read", "Populate", [box(PROBLEM, "error")])
OFFERED = Outcome("the update is offered (declined), the show list is read", "Populate",
                  [box(QUESTION, "question", buttons=("yes", "no"))])
# The bytes are a translation to the program; picked, it gives the built-in texts.
NOTICE_KEPT = Outcome("new-translation notice, the bytes kept as Epiloom.lang.FR and usable", "Populate",
                      [box(NOTICE, "information")],
                      files={"Epiloom.lang.FR": BINARY, CHOICE_FILE: b"[Epiloom]\r\nLang=FR\r\n"})

FAULTS = ["refused", "no answer", "404", "500 with a plausible body", "cut short", "binary bytes", "over the size cap"]


class Source:
    """A source, what a working server sends for it (None: the updater this
    build accepts), the row's outcome by fault, the requests a run makes
    when this source fails, and the request just before it (None when the
    program's own question comes before it, or when nothing does)."""

    def __init__(self, name, path, plausible, outcome, exceptions, asked, before=None):
        self.name, self.path, self.plausible = name, path, plausible
        self.outcome, self.exceptions, self.asked, self.before = outcome, exceptions, asked, before

    def expected(self, fault):
        return self.exceptions.get(fault, self.outcome)

    def expected_requests(self, fault):
        outcome = self.expected(fault)
        if fault == "refused":
            at = self.asked.index(self.path)
            # Refused up to the show list, but for the updater (port opened again).
            asked = self.asked[:at] + (self.asked[at + 1:] if self.path == UPDATER else [])
        elif fault == "binary bytes" and self.path == LANGUAGES:
            asked = [LAST_VERSION, LANGUAGES] + binary_translation_paths() + [SHOW_LIST]
        else:
            asked = list(self.asked)
        return asked + ([SHOW_LIST] if outcome.retry else [])


SOURCES = [
    Source("show list", SHOW_LIST, show_list_page(PAGE).encode("cp1252"), NO_CONNECTION,
           {"binary bytes": UNAVAILABLE}, [LAST_VERSION, LANGUAGES, SHOW_LIST], before=LANGUAGES),
    Source("episode page", EPISODES, episode_page("First", FIRST_EPISODES).encode("cp1252"), CHECK_PROBLEM,
           {"binary bytes": NOTHING_NEW}, [LAST_VERSION, LANGUAGES, SHOW_LIST, EPISODES], before=SHOW_LIST),
    # The update server's failures are silent; refusing its first file
    # refuses the show list after it too.
    Source("lastversion.dat", LAST_VERSION, b"V1.7;", GOES_ON,
           {"refused": NO_CONNECTION, "binary bytes": OFFERED if binary_offers_an_update() else GOES_ON},
           [LAST_VERSION, LANGUAGES, SHOW_LIST]),
    Source("languages.dat", LANGUAGES, b"FR", GOES_ON, {"refused": NO_CONNECTION},
           [LAST_VERSION, LANGUAGES, SHOW_LIST], before=LAST_VERSION),
    Source("translation", TRANSLATION, language_file(FRENCH), GOES_ON,
           {"refused": NO_CONNECTION, "binary bytes": NOTICE_KEPT},
           [LAST_VERSION, LANGUAGES, TRANSLATION, SHOW_LIST], before=LANGUAGES),
    Source("updater", UPDATER, None, UPDATE_PROBLEM, {}, [LAST_VERSION, UPDATER, LANGUAGES, SHOW_LIST]),
]

ROWS = [(s, f) for s in SOURCES for f in FAULTS]


def fault_route(fault, body):
    """The fixture site's answer for a faulty source (a refusal is the port's)."""
    return {
        "no answer": {"silent": True, "hold_s": 5},
        "404": {"status": 404, "body": "<html><body><h1>404 Not Found</h1></body></html>\r\n"},
        "500 with a plausible body": {"status": 500, "body_hex": body.hex()},
        # The whole content, announced longer than it is; then the connection closes.
        "cut short": {"cut": True, "body_hex": body.hex()},
        "binary bytes": {"body_hex": BINARY.hex()},
        "over the size cap": {"body": body.decode("latin-1"), "pad_to": MAX_BYTES + 1},
    }[fault]


def time_allowed(fault, outcome):
    return ((DOWNLOAD_TIMEOUT_S if fault == "no answer" else 0) + (OVER_CAP_S if fault == "over the size cap" else 0)
            + outcome.pause_s + SLACK_S)


# --- the bench -------------------------------------------------------------------

TIMES = []  # (row, what the user saw, seconds to the outcome, seconds for the row)


@pytest.fixture(scope="module")
def bench(wine_session, tmp_path_factory):
    scenario = Scenario(wine_session, tmp_path_factory.mktemp("network_faults"), "network_faults")
    started = time.monotonic()
    try:
        yield scenario
    finally:
        scenario.teardown()
        print("\n[e2e] network fault table: %d rows in %.1f s" % (len(TIMES), time.monotonic() - started))
        for row, outcome, outcome_s, row_s in TIMES:
            print("[e2e]   %-42s %4.1f s to the outcome, row %4.1f s: %s" % (row, outcome_s, row_s, outcome))


@pytest.fixture
def app(bench, request):
    """The shared scenario, with an empty site on a listening port and the
    program folder as FOLDER gives it."""
    callspec = getattr(request.node, "callspec", None)
    row = callspec.id if callspec else request.node.name
    bench.name = "network_faults-" + row.replace(" ", "_").replace(",", "")
    for proc in bench.processes:
        if proc.poll() is None:
            bench.kill(proc)
    bench.release()
    for site in bench.closed_sites:
        site.stop()
    bench.closed_sites.clear()
    bench.fixture_site.routes.clear()
    bench.fixture_site.releases.clear()
    bench.start_site()
    shutil.rmtree(bench.site_dir)
    bench.site_dir.mkdir()
    for path in bench.folder.iterdir():
        if path.name != "Epiloom.exe":
            path.unlink()
    for name, content in FOLDER.items():
        bench.file(name).write_bytes(content)
    yield bench
    report = getattr(request.node, "report_call", None)
    if report is not None and report.failed:
        bench.screenshot("failed")


def asked_since(app, start):
    return app.requested()[start:]


def wait_asked(app, start, path, timeout_s=10):
    return bool(wait_until(lambda: path in asked_since(app, start), timeout_s))


def folder_files(app):
    return {p.name: p.read_bytes() for p in sorted(app.folder.iterdir()) if p.name != "Epiloom.exe"}


# --- the table -------------------------------------------------------------------

@pytest.mark.parametrize("source, fault", ROWS, ids=["%s, %s" % (s.name, f) for s, f in ROWS])
def test_a_network_fault_shows_its_outcome_in_time_and_writes_nothing_wrong(app, updater_bytes, source, fault):
    row_started = time.monotonic()
    plausible = updater_bytes if source.plausible is None else source.plausible
    expected = source.expected(fault)
    refused = fault == "refused"

    # What a working site and update server serve.
    app.serve(LAST_VERSION, "V1.7;" if source.path == UPDATER else "V1.6;")
    app.serve(UPDATER, updater_bytes)
    # A held answer must be a 200: the download ends at once on another status.
    app.serve(LANGUAGES, "EN")
    if source.path in (LANGUAGES, TRANSLATION):
        # A held answer begins with blank lines, which would make the code's
        # field start with them: here an empty field takes them.
        app.serve(LANGUAGES, ";FR" if refused and source.path == TRANSLATION else "FR")
        app.serve(TRANSLATION, language_file(FRENCH))
    app.serve(SHOW_LIST, show_list_page(PAGE))
    app.serve(EPISODES, episode_page("First", FIRST_EPISODES))
    if source.path in (SHOW_LIST, EPISODES):
        app.serve(source.path, plausible)
    if not refused:
        app.route(source.path, **fault_route(fault, plausible))
    if source.path.startswith("/Epiloom/"):
        app.hold(SHOW_LIST)  # the row ends once the show list is being read
    if refused and source.before is not None:
        app.hold(source.before)
    if refused and source.path == LAST_VERSION:
        app.close_port()

    # Start, up to the fault.
    app.watch_windows()
    start = len(app.requested())
    proc = app.start()
    began = time.monotonic()
    app.wait_window()
    question = None
    if source.path == UPDATER:
        question = app.message_box(timeout_ms=10000)
        if refused:
            app.close_port()
        app.answer("yes")
        began = time.monotonic()
    elif refused and source.before is not None:
        assert wait_asked(app, start, source.before), asked_since(app, start)
        app.close_port()
        app.release(source.before)
        began = time.monotonic()
    elif not refused:
        assert wait_asked(app, start, source.path), asked_since(app, start)
        began = time.monotonic()

    # The outcome, and how long it took.
    boxes, outcome_s = [], None
    for want in expected.boxes:
        boxes.append(app.message_box(timeout_ms=15000))
        outcome_s = outcome_s or time.monotonic() - began
        if refused:
            app.start_site()  # the updater's refusal ends here
        app.answer("no" if want["buttons"] == ["yes", "no"] else "ok")
    if expected.retry:
        retry_shown, _ = app.wait_state(REFRESH_BUTTON, "visible", 15000)
        outcome_s = time.monotonic() - began
    elif expected.status == "Populate":
        assert wait_asked(app, start, SHOW_LIST), asked_since(app, start)
        outcome_s = outcome_s or time.monotonic() - began
        app.wait_text(STATUS_LINE, BUILT_IN["Populate"], 5000)
    elif expected.nothing_new:
        nothing_new = app.close_download_window()
        outcome_s = time.monotonic() - began
    else:
        assert app.wait_gone(EPISODE_CHECK_TITLE, 5000)
        # A download window would follow the check at once, on the same thread.
        time.sleep(0.3)
    texts = read_window_texts(app)
    retry_state = app.state(REFRESH_BUTTON)
    left_box = app.message_box(timeout_ms=0)
    countdown = COUNTDOWN_TITLES.rstrip("*")
    titles = [DOWNLOAD_WINDOW_TITLE if w["title"].startswith(countdown) else w["title"] for w in app.seen_windows()]

    # The retry button, where there is one, loads the list again.
    retried = None
    if expected.retry:
        app.start_site()
        app.fixture_site.routes.pop(SHOW_LIST, None)
        app.hold(SHOW_LIST)
        asked_before_retry = len(app.requested())
        app.click(REFRESH_BUTTON)
        hidden, _ = app.wait_state(REFRESH_BUTTON, "hidden", 5000)
        retried = (hidden, wait_asked(app, asked_before_retry, SHOW_LIST, 5),
                   app.wait_text(STATUS_LINE, BUILT_IN["Populate"], 5000))

    # The nonsense translation can be picked: the program goes on with the
    # built-in texts under its code.
    picked = None
    if expected is NOTICE_KEPT:
        app.pick_from_menu(LANGUAGE_ICON, 1)
        picked = (app.menu_checks(LANGUAGE_ICON), read_window_texts(app))

    code = app.close_and_wait(proc)
    TIMES.append(("%s, %s" % (source.name, fault), expected.name, outcome_s, time.monotonic() - row_started))

    assert code == 0
    if source.path == UPDATER:
        assert question == box(QUESTION, "question", buttons=("yes", "no"))
    assert boxes == expected.boxes
    assert left_box is None
    assert outcome_s <= time_allowed(fault, expected), "outcome after %.1f s" % outcome_s
    if expected.nothing_new:
        assert nothing_new == BUILT_IN["NoNewEp"]
        assert titles == [TITLE, EPISODE_CHECK_TITLE, DOWNLOAD_WINDOW_TITLE]
    elif expected.status == "Available":
        assert titles == [TITLE, EPISODE_CHECK_TITLE, "Epiloom"]
    if expected.status == "Available":
        assert texts == window_texts(BUILT_IN, shows=2, favourites=1, blacklisted=1)
    else:
        assert texts == window_texts(BUILT_IN, phase=expected.status)
        assert titles == [TITLE] + ["Epiloom"] * (len(expected.boxes) + (question is not None))
    assert retry_state["visible"] == expected.retry
    if expected.retry:
        assert retry_shown
        assert retried == (True, True, BUILT_IN["Populate"])
    if picked is not None:
        assert picked == ([False, True], window_texts(BUILT_IN, phase="Populate"))
    assert asked_since(app, start) == source.expected_requests(fault)
    assert folder_files(app) == {**FOLDER, **expected.files}


def test_a_body_exactly_at_the_size_cap_is_still_read(app):
    """The rows over the cap fail because of the cap: the same new version
    label at exactly the cap is offered."""
    app.serve(LANGUAGES, "EN")
    app.serve(SHOW_LIST, show_list_page(PAGE))
    app.route(LAST_VERSION, body="V1.7;", pad_to=MAX_BYTES)
    app.hold(SHOW_LIST)
    start = len(app.requested())
    proc = app.start()
    app.wait_window()
    question = app.message_box(timeout_ms=15000)
    app.answer("no")
    listing = wait_asked(app, start, SHOW_LIST)
    assert app.close_and_wait(proc) == 0

    assert question == box(QUESTION, "question", buttons=("yes", "no"))
    assert listing
    assert folder_files(app) == FOLDER
