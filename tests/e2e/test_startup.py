"""Start-up: the main window as it first appears, only one copy at a time,
and the close box."""

import json
import time

import pytest

from english_texts import main_window_texts
from harness import (ABOUT_LINE, BLACKLIST_LABEL, DOWNLOAD_BUTTON, LANGUAGE_ICON, REFRESH_BUTTON, SETTINGS_BUTTON,
                     SHOW_LIST, SITE_BANNER, SPINNER, STATUS_LINE, TITLE, UPDATE_PROGRESS_BAR, WS_CAPTION,
                     WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_SYSMENU, WS_THICKFRAME)

WS_POPUP = 0x80000000
WS_CLIPSIBLINGS = 0x04000000
DS_MODALFRAME = 0x80
DS_3DLOOK = 0x04
WS_EX_CONTROLPARENT = 0x00010000
WS_EX_WINDOWEDGE = 0x00000100
WS_EX_CLIENTEDGE = 0x00000200
SS_TYPEMASK = 0x1F
SS_LEFT, SS_CENTER, SS_RIGHT, SS_BITMAP, SS_ETCHEDHORZ, SS_ETCHEDFRAME = 0x0, 0x1, 0x2, 0xE, 0x10, 0x12
SS_NOTIFY = 0x100
BS_MULTILINE = 0x2000
PBS_SMOOTH = 0x1
LBS_NOTIFY, LBS_SORT = 0x1, 0x2
BOTTOM_RULE = 1036


def test_the_first_window_shows_the_built_in_texts_and_waits_for_the_update_check(app):
    app.hold_update_check()
    proc = app.start()
    app.wait_window()
    texts = {control: app.text(control) for control in (STATUS_LINE, SETTINGS_BUTTON, DOWNLOAD_BUTTON, ABOUT_LINE)}
    states = {control: app.state(control) for control in (
        REFRESH_BUTTON, UPDATE_PROGRESS_BAR, SETTINGS_BUTTON, DOWNLOAD_BUTTON, BLACKLIST_LABEL,
        SITE_BANNER, LANGUAGE_ICON, ABOUT_LINE, STATUS_LINE, SHOW_LIST)}
    items = app.list_items()
    # The update check shows the spinner as soon as it starts, so whether it
    # was hidden the instant the window appeared cannot be seen from outside;
    # what can be seen is that it is shown while the check runs.
    spinning, spinner = app.wait_state(SPINNER, "visible", 1000)
    status_meanwhile = app.text(STATUS_LINE)
    app.screenshot("first-window")

    assert texts == main_window_texts()
    assert items == []
    assert spinning, spinner
    assert status_meanwhile == texts[STATUS_LINE]
    expected = {
        REFRESH_BUTTON: (False, True), UPDATE_PROGRESS_BAR: (False, True),
        SETTINGS_BUTTON: (True, False), DOWNLOAD_BUTTON: (True, False), BLACKLIST_LABEL: (True, False),
        SITE_BANNER: (True, True), LANGUAGE_ICON: (True, True), ABOUT_LINE: (True, True),
        STATUS_LINE: (True, True), SHOW_LIST: (True, True),
    }
    assert {c: (s["visible"], s["enabled"]) for c, s in states.items()} == expected
    assert app.close_and_wait(proc) == 0
    assert app.window_count() == 0


def test_the_window_is_a_fixed_size_dialog_centred_on_the_screen(app):
    app.hold_update_check()
    proc = app.start()
    app.wait_window()
    window = app.window()
    screen = json.loads(app.ask("info"))["screen"]
    size = json.loads(app.ask("dlu", 0, 0, 410, 262))[2:]
    app.screenshot("layout")
    assert app.close_and_wait(proc) == 0

    style, exstyle = window["style"], window["exstyle"]
    assert window["class"] == "#32770"
    for flag in (WS_POPUP, WS_CAPTION, WS_SYSMENU, WS_CLIPSIBLINGS, DS_MODALFRAME, DS_3DLOOK):
        assert style & flag == flag, "style 0x%08X lacks 0x%X" % (style, flag)
    for flag in (WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX):
        assert style & flag == 0, "style 0x%08X has 0x%X" % (style, flag)
    assert exstyle & (WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE) == WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE
    left, top, right, bottom = window["client"]
    assert [right - left, bottom - top] == size
    left, top, right, bottom = window["rect"]
    assert abs((left + right) - screen[0]) <= 2 and abs((top + bottom) - screen[1]) <= 2, window["rect"]


# Where each control sits, in dialog units (x, y, w, h), what kind it is and
# the style bits that make it what it is. Pictures take the size of their
# bitmap and an etched line sizes itself, so only their top-left corner is
# checked; a list box without LBS_NOINTEGRALHEIGHT may shorten itself to whole
# items, so its height is not checked either. For statics the kind is the
# static type (SS_TYPEMASK bits).
CONTROLS = [
    # id, class, static type, (x, y, w, h), what to compare, style bits, ex-style bits
    (STATUS_LINE, "Static", SS_LEFT, (5, 5, 218, 15), "rect", 0, 0),
    (SPINNER, "Static", SS_BITMAP, (228, 0, 32, 32), "corner", 0, 0),
    (REFRESH_BUTTON, "Button", None, (232, 1, 18, 18), "rect", 0, 0),
    (UPDATE_PROGRESS_BAR, "msctls_progress32", None, (251, 3, 138, 15), "rect", PBS_SMOOTH, 0),
    (LANGUAGE_ICON, "Static", SS_BITMAP, (392, 0, 14, 14), "corner", SS_NOTIFY, 0),
    (SITE_BANNER, "Static", SS_BITMAP, (225, 90, 285, 116), "corner", SS_NOTIFY, 0),
    (SHOW_LIST, "ListBox", None, (5, 20, 225, 210), "width", 0x50211050 | LBS_NOTIFY, WS_EX_CLIENTEDGE),
    (BLACKLIST_LABEL, "Static", SS_RIGHT, (5, 231, 215, 10), "rect", SS_NOTIFY, 0),
    (SETTINGS_BUTTON, "Button", None, (250, 20, 150, 70), "rect", BS_MULTILINE, 0),
    (DOWNLOAD_BUTTON, "Button", None, (250, 160, 150, 70), "rect", BS_MULTILINE, 0),
    (BOTTOM_RULE, "Static", (SS_ETCHEDHORZ, SS_ETCHEDFRAME), (-1, 242, 412, 2), "corner", 0, 0),
    (ABOUT_LINE, "Static", SS_CENTER, (0, 244, 410, 18), "rect", SS_NOTIFY, 0),
]


def test_the_controls_sit_where_the_layout_puts_them(app):
    app.hold_update_check()
    proc = app.start()
    app.wait_window()
    seen = {c[0]: app.state(c[0]) for c in CONTROLS}
    wanted = {c[0]: json.loads(app.ask("dlu", *c[3])) for c in CONTROLS}
    assert app.close_and_wait(proc) == 0

    problems = []
    for control, cls, kind, _, compare, style_bits, ex_bits in CONTROLS:
        state, want, got = seen[control], wanted[control], seen[control]["rect"]
        if state["class"].lower() != cls.lower():
            problems.append("%d: class %s, not %s" % (control, state["class"], cls))
        kinds = kind if isinstance(kind, tuple) else (kind,)
        if kind is not None and state["style"] & SS_TYPEMASK not in kinds:
            problems.append("%d: static type 0x%X, not %s" % (control, state["style"] & SS_TYPEMASK, kinds))
        if state["style"] & style_bits != style_bits:
            problems.append("%d: style 0x%08X lacks 0x%X" % (control, state["style"], style_bits))
        if state["exstyle"] & ex_bits != ex_bits:
            problems.append("%d: ex-style 0x%08X lacks 0x%X" % (control, state["exstyle"], ex_bits))
        keep = {"rect": 4, "corner": 2, "width": 3}[compare]
        got_part = [got[0], got[1], got[2] - got[0], got[3] - got[1]][:keep]
        want_part = want[:keep]
        if got_part != want_part:
            problems.append("%d: at %s, not %s" % (control, got_part, want_part))
    if seen[SHOW_LIST]["style"] & LBS_SORT:
        problems.append("%d: sorted" % SHOW_LIST)
    assert problems == []


def watch_while_running(app, proc, timeout_s=20):
    """Counts the main windows on screen until `proc` ends; returns (exit
    code, the highest count seen)."""
    most = 0
    deadline = time.monotonic() + timeout_s
    while proc.poll() is None and time.monotonic() < deadline:
        most = max(most, app.window_count())
    return app.wait_exit(proc, 5), most


def test_a_second_copy_leaves_quietly_while_the_first_runs(app):
    app.hold_update_check()
    first = app.start()
    app.wait_window()

    code, most = watch_while_running(app, app.start())
    assert code == 0
    assert most == 1
    assert first.poll() is None
    assert app.window_count() == 1

    assert app.close_and_wait(first) == 0
    again = app.start()
    app.wait_window()
    assert app.close_and_wait(again) == 0


# The names the program guards itself with. Another version's first name does
# not stop this one: only its own name and the updater's do.
GUARDS = [
    (TITLE, False),
    ("Epiloom-updater", False),
    (" Epiloom [by ardmoor] V1.5", True),
]


@pytest.mark.parametrize("held, starts", GUARDS, ids=["own name", "updater", "other version"])
def test_a_held_guard_name_keeps_the_program_from_starting(app, held, starts):
    app.hold_update_check()
    app.ask("hold-mutex", held)
    proc = app.start()
    if starts:
        app.wait_window()
        assert app.close_and_wait(proc) == 0
        return
    code, most = watch_while_running(app, proc)
    assert (code, most) == (0, 0)
    assert app.windows() == []

    app.ask("release-mutex", held)
    proc = app.start()
    app.wait_window()
    assert app.close_and_wait(proc) == 0


def test_the_close_box_ends_the_program(app):
    app.hold_update_check()
    proc = app.start()
    info = app.wait_window()
    app.close_window()
    assert app.wait_exit(proc) == 0
    assert app.ask("gone", TITLE, 5000) == "gone"
    assert all(w["pid"] != info["pid"] for w in app.windows())
