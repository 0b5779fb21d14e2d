"""The hand-off of new episodes in the download window: one shortcut file per
new episode made in favourites order, the favourites advanced and written at
once, one question, and after a Yes the magnet links opened last made first;
the copy a favourite's quality keeps; show names that file names refuse; the
icon files; nothing new (the countdown to the end of the program, or Close);
Cancel between two episodes; a shortcut file read back; episodes not handed
over (a folder in the way of a shortcut) or not taken (no program for magnet
links); two shows whose names differ only by commas.

The order in which the program starts the magnet handler is read from Wine's
process trace: the handlers it starts run at the same time, so the order in
which they write down what they got is not the order of the program's
calls."""

import os
import re
import struct
import subprocess
import threading
import time
from pathlib import Path

import pytest

from english_texts import BUILT_IN
from harness import (COUNTDOWN_TITLES, DOWNLOAD_BUTTON, DOWNLOAD_CLOSE_BUTTON, DOWNLOAD_LABEL, DOWNLOAD_WINDOW_TITLE,
                     EPISODE_CHECK_TITLE, HOME_URL, TITLE, WINDOWS_FOLDER, episode_page, episode_page_path,
                     from_driver_text, show_list_page, wait_until)
from translations import CHOICE_FILE, read_choice

DOWNLOAD = DOWNLOAD_WINDOW_TITLE
FAVOURITES = "Epiloom.favorite"
BLACKLIST = "Epiloom.blacklist"
RESOURCES = Path(__file__).resolve().parents[2] / "resources"
RECORDER = '"C:\\e2e\\recorder.exe" '
PROGRESS_BAR = 1033
NAVY, PALE = (0, 6, 54), (241, 245, 248)  # the bar's colour and its background

ALPHA = ("/shows/31/alpha-road/", "Alpha Road")
BRAVO = ("/shows/32/bravo-lane/", "Bravo Lane")
TWO_NEW = [("s01e01", "350.0 MB"), ("s01e02", "351.0 MB")]


# --- the site and the favourites --------------------------------------------------------

def favourite(show, watched="S00E00", quality="L"):
    path, title = show
    return "%s|%s>%s%s" % (title, path.rstrip("/"), watched, quality)


def list_file(lines):
    """A list file as the program writes it: one CR LF line per entry."""
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def set_up(app, pages, favourites, favourites_file=None):
    """The show list of the shows of `pages` [(show, episodes)], their episode
    pages, and the favourites file (these lines, or exactly
    `favourites_file`). Returns each show's page text by title."""
    app.serve("/showlist/", show_list_page([show for show, _ in pages]))
    texts = {}
    for show, episodes in pages:
        texts[show[1]] = episode_page(show[1], episodes)
        app.serve(episode_page_path(show[0]), texts[show[1]])
    app.file(FAVOURITES).write_bytes(favourites_file if favourites_file is not None else list_file(favourites))
    return texts


def magnet(page, code, size=None):
    """The magnet link of the episode block of `page` with this code (and size)."""
    blocks = re.findall(r'title="[^"]* (S\d\dE\d\d) \(([^)]*)\)" class="epinfo">.*?href="(magnet:[^"]*)"', page, re.S)
    found = [link for c, s, link in blocks if c == code and (size is None or s == size)]
    assert len(found) == 1, (code, size, blocks)
    return found[0]


# --- the run ----------------------------------------------------------------------------

def start_hand_off(app, window=DOWNLOAD):
    """Starts the program with Wine's process trace on, and waits for its
    download window (by this title)."""
    app.env["WINEDEBUG"] = "-all,+process"
    proc = app.start()
    app.wait_window()
    app.wait_window(window, 20000)
    return proc


def follow_labels(app, timeout_s=20, on_second=None):
    """Reads label 1034 until the question is asked; returns the texts it
    showed, in order. A read made while the label changed can come back cut
    (the driver asks for the length, then the text): a text that the next one
    begins with is such a read and is left out. `on_second` is called once
    the second text is up."""
    seen = []
    deadline = time.monotonic() + timeout_s
    while time.monotonic() < deadline:
        code, text = app.drive("text", DOWNLOAD, DOWNLOAD_LABEL)
        if code == 0:
            text = from_driver_text(text)
            if text and (not seen or seen[-1] != text):
                if seen and text.startswith(seen[-1]):
                    seen[-1] = text
                else:
                    seen.append(text)
                    if len(seen) == 2 and on_second:
                        on_second()
        if app.drive("msgbox", "Epiloom", 0)[0] == 0:
            return seen
    raise AssertionError("no question within %d s; labels %r" % (timeout_s, seen))


def screenshot_in_background(app, label, shots):
    """Takes a screenshot while the scenario goes on; its path goes to `shots`."""
    thread = threading.Thread(target=lambda: shots.append(app.screenshot(label)), daemon=True)
    thread.start()
    return thread


def screen_point(app, control, fraction, title):
    """The point of the screen `fraction` across the control, halfway down."""
    window = app.window(title)
    left, top, right, bottom = window["rect"]
    _, _, width, height = window["client"]
    border = (right - left - width) // 2
    x0, y0 = left + border, bottom - border - height
    l, t, r, b = app.state(control, title)["rect"]
    return x0 + l + int((r - l) * fraction), y0 + (t + b) // 2


def pixel(png, point):
    """The colour (r, g, b) of a screenshot at a point."""
    out = subprocess.run(["convert", str(png), "-format", "%%[pixel:p{%d,%d}]" % point, "info:"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=30).stdout.decode()
    return tuple(int(v) for v in re.findall(r"\d+", out)[:3])


def question(lines, not_saved=()):
    """The question the hand-off asks, for these list lines, and the lines of
    the episodes that could not be saved (with their reasons)."""
    problems = ""
    if not_saved:
        problems = (BUILT_IN["ShortcutProblem1"] + "\n" + "".join(line + "\n" for line in not_saved) +
                    BUILT_IN["ShortcutProblem2"] + "\n\n")
    return (BUILT_IN["LaunchTorrent1"] + " %d " % len(lines) + BUILT_IN["LaunchTorrent2"] + "\n" +
            "".join(line + "\n" for line in lines) + "\n" + problems + BUILT_IN["LaunchTorrent3"] + "\n" +
            BUILT_IN["LaunchTorrent4"] + "\n" + WINDOWS_FOLDER + ")")


def question_box(lines, not_saved=()):
    return {"text": question(lines, not_saved), "buttons": ["yes", "no"], "icon": "question", "owner": DOWNLOAD}


def received(app):
    """The links the magnet handler got, in the order it wrote them down."""
    links = []
    for line in app.recorded():
        match = re.fullmatch(re.escape(RECORDER) + r'"([^"]*)"', line)
        links.append(match.group(1) if match else line)
    return links


def wait_received(app, count, timeout_s=15):
    """Waits for `count` links, then a while longer for any further one."""
    if count:
        wait_until(lambda: len(app.recorded()) >= count, timeout_s)
    time.sleep(1.0)
    return received(app)


def unescape_trace(text):
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "t": "\t"}.get(m.group(1), m.group(1)), text)


def launched(app):
    """The links the program started the magnet handler with, in the order of
    its calls: the command lines of Wine's process trace of the program."""
    links = []
    for log in sorted(app.tmp.glob("wine-*.log")):
        for line in log.read_bytes().decode("cp1252", errors="replace").splitlines():
            match = re.search(r':trace:process:CreateProcessInternalW app \S+ cmdline L"(.*)"$', line)
            if match:
                command = unescape_trace(match.group(1))
                if command.startswith(RECORDER):
                    links.append(command[len(RECORDER):].strip('"'))
    return links


def local_date(days_later=0):
    return time.strftime("%Y-%m-%d", time.localtime(time.time() + days_later * 86400))


def shortcuts(app):
    """The shortcut files in the program's folder, oldest first (a folder
    named like one is no file)."""
    return [p.name for p in sorted(app.folder.glob("*.lnk"), key=lambda p: p.stat().st_mtime_ns) if p.is_file()]


def shortcut_names(dates, names):
    """The file names for (show name as written in the file name, code), made
    on one of `dates`: the date of the first name decides for all."""
    return {date: ["[%s] %s %s.lnk" % (date, show, code) for show, code in names] for date in dates}


def assert_shortcuts(app, dates, names):
    made = shortcuts(app)
    assert made in shortcut_names(dates, names).values(), made


# --- favourites A then B ----------------------------------------------------------------

AB_LABELS = ["Alpha Road S01E01", "Alpha Road S01E02", "Bravo Lane S01E01", "Bravo Lane S01E02"]
AB_FILE_NAMES = [("Alpha Road", "S01E01"), ("Alpha Road", "S01E02"), ("Bravo Lane", "S01E01"), ("Bravo Lane", "S01E02")]


@pytest.mark.parametrize("answer", ["yes", "no"])
def test_new_episodes_are_made_in_favourites_order_and_opened_last_made_first(app, answer):
    pages = set_up(app, [(ALPHA, TWO_NEW), (BRAVO, TWO_NEW)], [favourite(ALPHA), favourite(BRAVO)])
    dates = {local_date()}
    proc = start_hand_off(app)
    shots, taking = [], []
    labels = follow_labels(app, on_second=lambda: taking.append(screenshot_in_background(app, "working", shots)))
    box = app.message_box()
    bar_start = screen_point(app, PROGRESS_BAR, 0.1, DOWNLOAD)
    at_question = {"favourites": app.file(FAVOURITES).read_bytes(), "shortcuts": shortcuts(app),
                   "received": received(app)}
    app.answer(answer)
    gone = app.wait_gone(DOWNLOAD, 5000)
    links = wait_received(app, 4 if answer == "yes" else 0)
    main_enabled = app.window(TITLE)["enabled"]
    assert app.close_and_wait(proc) == 0
    dates.add(local_date())
    for thread in taking:
        thread.join(30)

    assert labels == AB_LABELS
    # While the second episode is made the bar has filled from its start.
    assert [pixel(shot, bar_start) for shot in shots] == [NAVY]
    assert box == question_box([a + " " + c for a, c in AB_FILE_NAMES])
    # Made in favourites order, each favourite's episodes oldest first; the
    # favourites file already holds the advanced codes when the user is asked.
    assert_shortcuts(app, dates, AB_FILE_NAMES)
    assert at_question == {"favourites": list_file([favourite(ALPHA, "S01E02"), favourite(BRAVO, "S01E02")]),
                           "shortcuts": shortcuts(app), "received": []}
    assert gone and main_enabled
    newest_first = [magnet(pages[show], code) for show, code in
                    [("Bravo Lane", "S01E02"), ("Bravo Lane", "S01E01"), ("Alpha Road", "S01E02"),
                     ("Alpha Road", "S01E01")]]
    if answer == "yes":
        assert launched(app) == newest_first
        assert sorted(links) == sorted(newest_first)
    else:
        assert launched(app) == [] and links == []
    assert app.file(FAVOURITES).read_bytes() == list_file([favourite(ALPHA, "S01E02"), favourite(BRAVO, "S01E02")])


# --- show names that file names refuse --------------------------------------------------

LAW = ("/shows/41/law-order/", "Law, Order")
WHO = ("/shows/42/who-are-you/", "Who: Are You?")


def test_commas_leave_show_names_and_refused_characters_become_blanks_in_file_names(app):
    pages = set_up(app, [(LAW, [("s01e01", "350.0 MB")]), (WHO, [("s02e05", "350.0 MB")])],
                   [favourite(LAW), favourite(WHO)])
    dates = {local_date()}
    proc = start_hand_off(app)
    labels = follow_labels(app)
    box = app.message_box()
    app.answer("yes")
    links = wait_received(app, 2)
    assert app.close_and_wait(proc) == 0
    dates.add(local_date())

    assert labels == ["Law, Order S01E01", "Who: Are You? S02E05"]
    assert box == question_box(["Law Order S01E01", "Who: Are You? S02E05"])
    assert_shortcuts(app, dates, [("Law Order", "S01E01"), ("Who  Are You ", "S02E05")])
    expected = [magnet(pages["Who: Are You?"], "S02E05"), magnet(pages["Law, Order"], "S01E01")]
    assert launched(app) == expected
    assert sorted(links) == sorted(expected)
    assert app.file(FAVOURITES).read_bytes() == list_file([favourite(LAW, "S01E01"), favourite(WHO, "S02E05")])


# --- duplicate copies -------------------------------------------------------------------

HIGH = ("/shows/51/hill-street/", "Hill Street")  # prefers 720p
LOW = ("/shows/52/low-tide/", "Low Tide")  # prefers standard quality
STANDARD, HD = ("s01e03", "350.0 MB"), ("s01e03", "1.2 GB")


@pytest.mark.parametrize("copies", [[STANDARD, HD], [HD, STANDARD]], ids=["standard first", "720p first"])
def test_of_two_copies_a_720p_favourite_gets_the_larger_and_a_standard_one_the_smaller(app, copies):
    pages = set_up(app, [(HIGH, copies), (LOW, copies)], [favourite(HIGH, quality="H"), favourite(LOW, quality="L")])
    proc = start_hand_off(app)
    follow_labels(app)
    box = app.message_box()
    app.answer("yes")
    links = wait_received(app, 2)
    assert app.close_and_wait(proc) == 0

    assert box == question_box(["Hill Street S01E03", "Low Tide S01E03"])
    expected = [magnet(pages["Low Tide"], "S01E03", "350.0 MB"), magnet(pages["Hill Street"], "S01E03", "1.2 GB")]
    assert launched(app) == expected
    assert sorted(links) == sorted(expected)
    assert app.file(FAVOURITES).read_bytes() == list_file([favourite(HIGH, "S01E03", "H"),
                                                           favourite(LOW, "S01E03", "L")])


def test_a_show_listed_twice_is_handed_over_once(app):
    pages = set_up(app, [(ALPHA, TWO_NEW), (BRAVO, [("s01e01", "350.0 MB")])],
                   [favourite(ALPHA, "S01E01"), favourite(BRAVO), favourite(ALPHA, "S01E01")])
    proc = start_hand_off(app)
    labels = follow_labels(app)
    box = app.message_box()
    app.answer("yes")
    links = wait_received(app, 2)
    assert app.close_and_wait(proc) == 0

    assert labels == ["Alpha Road S01E02", "Bravo Lane S01E01"]
    assert box == question_box(["Alpha Road S01E02", "Bravo Lane S01E01"])
    expected = [magnet(pages["Bravo Lane"], "S01E01"), magnet(pages["Alpha Road"], "S01E02")]
    assert launched(app) == expected
    assert sorted(links) == sorted(expected)
    # Both of its lines move on.
    assert app.file(FAVOURITES).read_bytes() == list_file([favourite(ALPHA, "S01E02"), favourite(BRAVO, "S01E01"),
                                                           favourite(ALPHA, "S01E02")])


# --- the icon files ---------------------------------------------------------------------

def hand_off_one_episode(app):
    """One favourite with one new episode, handed over with the answer No;
    returns the page of its show."""
    pages = set_up(app, [(ALPHA, [("s01e01", "350.0 MB")])], [favourite(ALPHA)])
    proc = start_hand_off(app)
    follow_labels(app)
    app.answer("no")
    assert app.wait_gone(DOWNLOAD, 5000)
    assert app.close_and_wait(proc) == 0
    return pages["Alpha Road"]


def test_missing_icon_files_are_exported_before_the_first_shortcut(app):
    hand_off_one_episode(app)

    [link] = shortcuts(app)
    for name in ("AICO", "BICO"):
        exported = app.file(name + ".ICO").read_bytes()
        reserved, kind, count = struct.unpack_from("<HHH", exported, 0)
        assert (reserved, kind, count) == (0, 1, 1), name
        assert struct.unpack_from("<I", exported, 6 + 12)[0] == 22, name
        assert exported == (RESOURCES / (name + ".ico")).read_bytes(), name
    assert app.file("BICO.ICO").stat().st_mtime_ns <= app.file(link).stat().st_mtime_ns


def test_a_present_icon_file_is_not_written_again(app):
    placeholder = b"an icon file the program must leave alone"
    app.file("BICO.ICO").write_bytes(placeholder)
    earlier = time.time() - 3 * 86400
    os.utime(app.file("BICO.ICO"), (earlier, earlier))
    before = app.file("BICO.ICO").stat().st_mtime_ns
    hand_off_one_episode(app)

    assert len(shortcuts(app)) == 1
    assert app.file("BICO.ICO").read_bytes() == placeholder
    assert app.file("BICO.ICO").stat().st_mtime_ns == before
    assert not app.file("AICO.ICO").exists()


# --- a shortcut file read back ----------------------------------------------------------

LINK_CLSID = bytes.fromhex("0114020000000000c000000000000046")  # {00021401-0000-0000-C000-000000000046}
HAS_ID_LIST, HAS_LINK_INFO, IS_UNICODE = 0x1, 0x2, 0x80
STRING_DATA = [(0x04, "description"), (0x08, "relative path"), (0x10, "working folder"), (0x20, "arguments"),
               (0x40, "icon file")]


def read_shell_link(data):
    """The fields of a shell link file: the header, the items of its target's
    ID list, the local base path of its link information, and the strings
    that its flags announce (a string ends at its count or at a NUL)."""
    header_size, = struct.unpack_from("<I", data, 0)
    flags, = struct.unpack_from("<I", data, 0x14)
    icon_index, show_command = struct.unpack_from("<iI", data, 0x38)
    link = {"header size": header_size, "class": data[4:20], "flags": flags, "icon index": icon_index,
            "show command": show_command, "id list": [], "local base path": None}
    at = header_size
    if flags & HAS_ID_LIST:
        size, = struct.unpack_from("<H", data, at)
        end, at = at + 2 + size, at + 2
        while struct.unpack_from("<H", data, at)[0] != 0:
            item, = struct.unpack_from("<H", data, at)
            link["id list"].append(data[at + 2:at + item])
            at += item
        at = end
    if flags & HAS_LINK_INFO:
        size, _, info_flags, _, base = struct.unpack_from("<IIIII", data, at)
        if info_flags & 1:  # VolumeIDAndLocalBasePath
            link["local base path"] = data[at + base:data.index(b"\0", at + base)].decode("cp1252")
        at += size
    for flag, name in STRING_DATA:
        if flags & flag:
            count, = struct.unpack_from("<H", data, at)
            at += 2
            width = 2 if flags & IS_UNICODE else 1
            raw = data[at:at + count * width]
            at += count * width
            link[name] = raw.decode("utf-16-le" if width == 2 else "cp1252").split("\0")[0]
    return link


def test_a_shortcut_points_at_the_magnet_link_with_the_programs_folder_and_icon(app):
    page = hand_off_one_episode(app)
    link_magnet = magnet(page, "S01E01")

    [name] = shortcuts(app)
    link = read_shell_link(app.file(name).read_bytes())
    assert (link["header size"], link["class"]) == (0x4C, LINK_CLSID)
    assert link["show command"] == 5
    assert link["icon index"] == 0
    assert link["icon file"] == WINDOWS_FOLDER + "BICO.ICO"
    assert link["working folder"] == WINDOWS_FOLDER
    assert link["description"] == "Torrent magnet created by Epiloom " + HOME_URL
    assert link.get("arguments", "") == ""
    # Wine keeps a target that is not a file as a file of the current folder:
    # the link's last item is the magnet link, its base path the folder + it.
    assert link["id list"] and link_magnet.encode("ascii") in link["id list"][-1]
    assert link["local base path"] == WINDOWS_FOLDER + link_magnet


# --- nothing new ------------------------------------------------------------------------

# The favourite has seen its show's newest episode; the file starts with an
# empty line, which the program drops when it writes the file.
UP_TO_DATE = b"\r\n" + list_file([favourite(ALPHA, "S01E02")])
COUNTDOWN = ["%s %ds" % (BUILT_IN["AutoClose"], n) for n in range(10, 0, -1)]


def wait_nothing_new(app):
    """Waits for the countdown; returns the label's and the button's texts."""
    app.wait_window(COUNTDOWN_TITLES, 20000)
    return [from_driver_text(app.ask("text", COUNTDOWN_TITLES, control))
            for control in (DOWNLOAD_LABEL, DOWNLOAD_CLOSE_BUTTON)]


def test_with_nothing_new_the_window_counts_down_and_ends_the_program(app):
    set_up(app, [(ALPHA, TWO_NEW)], [], favourites_file=UP_TO_DATE)
    proc = start_hand_off(app, COUNTDOWN_TITLES)
    texts = wait_nothing_new(app)
    shown_at = time.monotonic()
    bar_middle = screen_point(app, PROGRESS_BAR, 0.5, COUNTDOWN_TITLES)
    before_end = {"favourites": app.file(FAVOURITES).read_bytes(), "blacklist": app.file(BLACKLIST).exists(),
                  "choice": app.file(CHOICE_FILE).exists()}
    captions, shots, taking = [], [], []
    while True:
        code, caption = app.drive("text", COUNTDOWN_TITLES, 0)
        if code != 0:
            break
        caption = from_driver_text(caption)
        if not captions or captions[-1] != caption:
            captions.append(caption)
            if len(captions) == 2:
                taking.append(screenshot_in_background(app, "countdown", shots))
        time.sleep(0.2)
    exit_code = app.wait_exit(proc, 10)
    ended_after = time.monotonic() - shown_at
    for thread in taking:
        thread.join(30)

    assert texts == [BUILT_IN["NoNewEp"], BUILT_IN["Close"]]
    assert [pixel(shot, bar_middle) for shot in shots] == [PALE]  # an empty bar
    assert captions[0] == COUNTDOWN[0]
    assert len(captions) >= 8 and [c for c in COUNTDOWN if c in captions] == captions, captions
    assert exit_code == 0
    assert 9.0 <= ended_after <= 12.0, ended_after
    assert shortcuts(app) == []
    assert before_end == {"favourites": UP_TO_DATE, "blacklist": False, "choice": False}
    # The lists and the language choice are written as the program ends.
    assert app.file(FAVOURITES).read_bytes() == list_file([favourite(ALPHA, "S01E02")])
    assert app.file(BLACKLIST).read_bytes() == b"\r\n"  # a list without entries
    assert read_choice(app) == {"epiloom": {"lang": "EN"}}


def test_close_before_the_countdown_ends_keeps_the_program_and_the_download_button_opens_the_window_again(app):
    set_up(app, [(ALPHA, TWO_NEW)], [], favourites_file=UP_TO_DATE)
    proc = start_hand_off(app, COUNTDOWN_TITLES)
    texts = wait_nothing_new(app)
    shown_at = time.monotonic()
    app.ask("click", COUNTDOWN_TITLES, DOWNLOAD_CLOSE_BUTTON)
    closed = app.wait_gone(COUNTDOWN_TITLES, 1000)
    time.sleep(max(0.0, 12.0 - (time.monotonic() - shown_at)))
    later = {"running": proc.poll() is None, "windows": [w["title"] for w in app.windows()],
             "main window enabled": app.window(TITLE)["enabled"],
             "favourites": app.file(FAVOURITES).read_bytes()}

    # The download button checks again (no page is due yet) and opens the
    # window again, which again finds nothing new.
    app.watch_windows()
    assert app.click(DOWNLOAD_BUTTON) == (0, "ok")
    again = wait_nothing_new(app)
    app.ask("click", COUNTDOWN_TITLES, DOWNLOAD_CLOSE_BUTTON)
    closed_again = app.wait_gone(COUNTDOWN_TITLES, 1000)
    titles = [w["title"] for w in app.seen_windows()]
    assert app.close_and_wait(proc) == 0

    assert texts == again == [BUILT_IN["NoNewEp"], BUILT_IN["Close"]]
    assert closed and closed_again
    assert later == {"running": True, "windows": [TITLE], "main window enabled": True, "favourites": UP_TO_DATE}
    assert titles[:1] == [EPISODE_CHECK_TITLE], titles
    assert [p for p in app.requested() if p.startswith("/shows/")] == [episode_page_path(ALPHA[0])]
    assert app.file(FAVOURITES).read_bytes() == list_file([favourite(ALPHA, "S01E02")])


# --- Cancel -----------------------------------------------------------------------------

def test_cancel_between_two_episodes_closes_the_window_and_hands_over_nothing_more(app):
    set_up(app, [(ALPHA, TWO_NEW), (BRAVO, TWO_NEW)], [favourite(ALPHA), favourite(BRAVO)])
    written = app.file(FAVOURITES).read_bytes()
    written_at = app.file(FAVOURITES).stat().st_mtime_ns
    proc = start_hand_off(app)
    # The first shortcut is made; the worker now pauses 400 ms.
    assert wait_until(lambda: shortcuts(app), 10, interval_s=0.01)
    label = from_driver_text(app.ask("text", DOWNLOAD, DOWNLOAD_LABEL))
    app.ask("click", DOWNLOAD, DOWNLOAD_CLOSE_BUTTON)
    gone = app.wait_gone(DOWNLOAD, 1000)
    made = shortcuts(app)
    time.sleep(2.5)  # the rest of the work would take 1.6 s
    after = {"shortcuts": shortcuts(app), "question": app.message_box(timeout_ms=0), "received": received(app),
             "favourites": app.file(FAVOURITES).read_bytes(),
             "favourites written": app.file(FAVOURITES).stat().st_mtime_ns != written_at,
             "windows": [w["title"] for w in app.windows()], "main window enabled": app.window(TITLE)["enabled"]}
    assert app.close_and_wait(proc) == 0

    assert label == "Alpha Road S01E01"
    assert gone
    assert len(made) == 1 and made[0].endswith("] Alpha Road S01E01.lnk"), made
    assert after == {"shortcuts": made, "question": None, "received": [], "favourites": written,
                     "favourites written": False, "windows": [TITLE], "main window enabled": True}
    assert launched(app) == []
    # Nothing moved on: the file written at the end holds the same lines.
    assert app.file(FAVOURITES).read_bytes() == written


# --- episodes not handed over, episodes no program took ------------------------------

THREE_NEW = [("s01e01", "350.0 MB"), ("s01e02", "351.0 MB"), ("s01e03", "352.0 MB")]
ONE_NEW = [("s01e01", "350.0 MB")]


def test_a_folder_in_the_way_of_a_shortcut_keeps_that_episode_and_the_later_ones_of_its_show_new(app):
    pages = set_up(app, [(ALPHA, THREE_NEW), (BRAVO, ONE_NEW)], [favourite(ALPHA), favourite(BRAVO)])
    # A folder named exactly like Alpha Road's second shortcut (today's, and
    # tomorrow's should the run cross midnight).
    in_the_way = [app.file("[%s] Alpha Road S01E02.lnk" % date) for date in {local_date(), local_date(1)}]
    for folder in in_the_way:
        folder.mkdir()
    dates = {local_date()}
    proc = start_hand_off(app)
    labels = follow_labels(app)
    box = app.message_box()
    at_question = app.file(FAVOURITES).read_bytes()
    app.answer("yes")
    gone = app.wait_gone(DOWNLOAD, 5000)
    links = wait_received(app, 2)
    assert app.close_and_wait(proc) == 0
    dates.add(local_date())

    # The third episode of Alpha Road is not tried: it stays new with the second.
    assert labels == ["Alpha Road S01E01", "Alpha Road S01E02", "Bravo Lane S01E01"]
    assert box == question_box(["Alpha Road S01E01", "Bravo Lane S01E01"],
                               ["Alpha Road S01E02 (a folder of that name is in the way)", "Alpha Road S01E03"])
    assert gone
    assert_shortcuts(app, dates, [("Alpha Road", "S01E01"), ("Bravo Lane", "S01E01")])
    assert all(folder.is_dir() for folder in in_the_way)
    expected = [magnet(pages["Bravo Lane"], "S01E01"), magnet(pages["Alpha Road"], "S01E01")]
    assert launched(app) == expected
    assert sorted(links) == sorted(expected)
    # Alpha Road moves on to the newest episode before the one not saved.
    advanced = list_file([favourite(ALPHA, "S01E01"), favourite(BRAVO, "S01E01")])
    assert at_question == advanced
    assert app.file(FAVOURITES).read_bytes() == advanced


def test_without_a_program_for_magnet_links_one_box_names_the_episodes_and_their_folder(app):
    set_up(app, [(ALPHA, TWO_NEW), (BRAVO, ONE_NEW)], [favourite(ALPHA), favourite(BRAVO)])
    app.remove_magnet_handler()
    dates = {local_date()}
    proc = start_hand_off(app)
    follow_labels(app)
    asked = app.message_box()
    app.answer("yes")
    box = app.message_box(timeout_ms=15000)
    windows = sorted(w["title"] for w in app.windows())
    if box is not None:
        app.answer("ok")
    gone = app.wait_gone(DOWNLOAD, 5000)
    main_enabled = app.window(TITLE)["enabled"]
    assert app.close_and_wait(proc) == 0
    dates.add(local_date())

    lines = ["Alpha Road S01E01", "Alpha Road S01E02", "Bravo Lane S01E01"]
    assert asked == question_box(lines)
    # After every link was tried: one box, and no other window of the shell.
    assert box == {"text": BUILT_IN["LaunchProblem1"] + "\n" + "".join(line + "\n" for line in lines) +
                   BUILT_IN["LaunchProblem2"] + "\n" + WINDOWS_FOLDER,
                   "buttons": ["ok"], "icon": "error", "owner": DOWNLOAD}
    assert windows == sorted([TITLE, DOWNLOAD, "Epiloom"])
    assert gone and main_enabled
    # The shortcuts stay for the user, and the episodes count as handed over.
    assert_shortcuts(app, dates, [("Alpha Road", "S01E01"), ("Alpha Road", "S01E02"), ("Bravo Lane", "S01E01")])
    assert received(app) == []
    assert app.file(FAVOURITES).read_bytes() == list_file([favourite(ALPHA, "S01E02"), favourite(BRAVO, "S01E01")])


LAW_TWIN = ("/shows/43/law-order-again/", "Law Order")


def test_two_shows_whose_names_differ_only_by_commas_get_a_shortcut_each_and_both_are_opened(app):
    # The twin's copy is a 720p one, so that its magnet link differs.
    pages = set_up(app, [(LAW, ONE_NEW), (LAW_TWIN, [("s01e01", "1.2 GB")])], [favourite(LAW), favourite(LAW_TWIN)])
    dates = {local_date()}
    proc = start_hand_off(app)
    labels = follow_labels(app)
    box = app.message_box()
    app.answer("yes")
    links = wait_received(app, 2)
    assert app.close_and_wait(proc) == 0
    dates.add(local_date())

    assert labels == ["Law, Order S01E01", "Law Order S01E01"]
    assert box == question_box(["Law Order S01E01", "Law Order S01E01"])
    made = shortcuts(app)
    assert made in ([["[%s] Law Order S01E01.lnk" % date, "[%s] Law Order S01E01 (2).lnk" % date]
                     for date in dates]), made
    first, second = magnet(pages["Law, Order"], "S01E01"), magnet(pages["Law Order"], "S01E01")
    assert first != second
    assert first.encode("ascii") in app.file(made[0]).read_bytes()
    assert second.encode("ascii") in app.file(made[1]).read_bytes()
    assert launched(app) == [second, first]
    assert sorted(links) == sorted([first, second])
    assert app.file(FAVOURITES).read_bytes() == list_file([favourite(LAW, "S01E01"), favourite(LAW_TWIN, "S01E01")])
