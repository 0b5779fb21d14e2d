"""The two list dialogs of the main window: the favourite settings pages,
opened from the settings button after the episode check, and the blacklist
dialog, opened from the blacklist label. What each shows, what the user's
changes do to the main window, and what reaches the list files when the
program ends; both dialogs also at 150 % scaling."""

import json
import subprocess

from english_texts import BUILT_IN
from harness import (BLACKLIST_LABEL, SETTINGS_BUTTON, SHOW_LIST, TITLE, episode_page, episode_page_path,
                     show_list_page, wait_until)
from translations import read_window_texts, window_texts

FAVOURITES = "Epiloom.favorite"
BLACKLIST = "Epiloom.blacklist"
FAVOURITE = -1  # item data of a ticked show

# Controls of the settings pages.
PREV, NEXT = 1007, 1008
QUALITY = 1021
NOT_WATCHED, WATCHED = 1022, 1023
SEASON, EPISODE = 1024, 1025
SEASON_SPIN, EPISODE_SPIN = 1026, 1027
SEASON_EDIT, EPISODE_EDIT = 1031, 1032

# Controls of the blacklist dialog.
CANDIDATES, BLACKLISTED = 1017, 1018
PUT_BACK, TO_BLACKLIST = 1019, 1020
BLACKLIST_TITLE = BUILT_IN["BlackList"]

VK_TAB, VK_ESCAPE, VK_UP = 0x09, 0x1B, 0x26

STANDARD, HD = BUILT_IN["Q720p2"], BUILT_IN["Q720p3"]

HARBOUR = ("/shows/21/harbour-lights/", "Harbour Lights")
QUIET = ("/shows/23/quiet-fields/", "Quiet Fields")
ORCHARD = ("/shows/24/ninth-orchard/", "The Ninth Orchard")

# Each favourite's newest episode is the one last watched, or the page has
# none at all: nothing is new, so the download window only counts down.
PAGES = {
    HARBOUR: [("s02e01", "1.2 GB"), ("s02e01", "350.5 MB"), ("s01e10", "349.0 MB")],
    QUIET: [],
    ORCHARD: [("s01e10", "349.0 MB"), ("1x09", "348.2 MB")],
}


def favourite(show, watched, quality):
    path, title = show
    return "%s|%s>%s%s" % (title, path.rstrip("/"), watched, quality)


def set_up_site(app, shows, favourites=(), blacklist=()):
    app.serve("/showlist/", show_list_page(shows))
    for show in shows:
        app.serve(episode_page_path(show[0]), episode_page(show[1], PAGES.get(show, [])))
    app.file(FAVOURITES).write_bytes("".join(line + "\r\n" for line in favourites).encode("cp1252"))
    app.file(BLACKLIST).write_bytes("".join(name + "\r\n" for name in blacklist).encode("cp1252"))


def start_and_settle(app):
    """Starts the program and waits until the show list is loaded and the
    download window, with nothing new to hand over, has been closed."""
    proc = app.start()
    app.wait_window()
    app.wait_show_list()
    app.close_download_window()
    return proc


def caption(page, pages, name):
    return "%s %d/%d - %s" % (BUILT_IN["Param1"], page, pages, name)


# Where the controls lie, in dialog units (x, y, width, height), and which of
# these the control keeps: a combo box's height counts its drop-down list, an
# up-down control takes a width of its own, a list box rounds its height
# down to whole items.
SETTINGS_LAYOUT = {
    1028: ((5, 5, 270, 15), "xywh"), QUALITY: ((5, 15, 270, 45), "xyw"), 1029: ((5, 40, 270, 15), "xywh"),
    NOT_WATCHED: ((5, 50, 140, 10), "xywh"), WATCHED: ((5, 60, 140, 10), "xywh"),
    SEASON: ((149, 61, 16, 10), "xywh"), SEASON_SPIN: ((165, 60, 12, 12), "xyh"),
    EPISODE: ((179, 61, 16, 10), "xywh"), EPISODE_SPIN: ((195, 60, 12, 12), "xyh"),
    1030: ((210, 61, 30, 10), "xywh"), PREV: ((5, 80, 55, 15), "xywh"), NEXT: ((220, 80, 55, 15), "xywh"),
    SEASON_EDIT: ((-10, -10, 1, 1), "xywh"), EPISODE_EDIT: ((-10, -10, 1, 1), "xywh"),
}
BLACKLIST_LAYOUT = {
    CANDIDATES: ((1, 2, 166, 149), "xyw"), BLACKLISTED: ((186, 2, 166, 149), "xyw"),
    TO_BLACKLIST: ((168, 50, 18, 15), "xywh"), PUT_BACK: ((168, 100, 18, 15), "xywh"),
}


def misplaced_controls(app, title, layout):
    """Controls whose place in pixels is not what their dialog units give
    with the screen's current font size: {id: (expected, actual)}."""
    wrong = {}
    for control, (units, kept) in layout.items():
        x, y, w, h = json.loads(app.ask("dlu", *units))
        expected = {"x": x, "y": y, "w": w, "h": h}
        left, top, right, bottom = app.state(control, title)["rect"]
        actual = {"x": left, "y": top, "w": right - left, "h": bottom - top}
        if any(expected[k] != actual[k] for k in kept):
            wrong[control] = (expected, actual)
    return wrong


def checked(app, title, control):
    return int(app.ask("checked", title, control))


def focus(app, title):
    return json.loads(app.ask("focus", title))["id"]


def page_state(app, title):
    """What a page shows: quality, option, displays, whether the numbers can
    be changed, and the two buttons."""
    return {
        "quality": app.text(QUALITY, title),
        "watched": [checked(app, title, NOT_WATCHED), checked(app, title, WATCHED)],
        "code": app.text(SEASON, title) + app.text(EPISODE, title),
        "spins": [app.state(c, title)["enabled"] for c in (SEASON_SPIN, EPISODE_SPIN)],
        "prev": app.state(PREV, title)["visible"],
        "next": app.text(NEXT, title),
    }


def page(quality, watched, code, spins, prev, next_text):
    return {"quality": quality, "watched": [0, 1] if watched else [1, 0], "code": code, "spins": [spins, spins],
            "prev": prev, "next": next_text}


def step(app, title, spin, up, display, expected):
    """Clicks an arrow of an up-down control (the upper or the lower half) and
    waits until its display shows `expected`."""
    rect = app.state(spin, title)["rect"]
    width, height = rect[2] - rect[0], rect[3] - rect[1]
    app.ask("mouse", title, spin, width // 2, height // 4 if up else (3 * height) // 4, "left")
    return app.wait_text(display, expected, 3000, title)


def open_settings(app, title):
    app.click(SETTINGS_BUTTON)
    app.wait_window(title)


def test_settings_pages_walk_the_favourites_and_save_each_page_into_its_line(app):
    set_up_site(app, [HARBOUR, QUIET, ORCHARD], favourites=[
        favourite(HARBOUR, "S02E01", "H"),
        favourite(QUIET, "S00E00", "L"),  # never watched, no episode known
        favourite(ORCHARD, "S01E10", "L"),
    ])
    proc = start_and_settle(app)
    before = app.text(SETTINGS_BUTTON)

    first, second, third = (caption(n, 3, show[1]) for n, show in enumerate([HARBOUR, QUIET, ORCHARD], start=1))
    open_settings(app, first)
    window = app.window(first)
    misplaced = misplaced_controls(app, first, SETTINGS_LAYOUT)
    opened = page_state(app, first)
    app.screenshot("settings-page-1")

    # Standard quality instead of 720p, and S01E04 instead of S02E01.
    app.ask("key", first, QUALITY, VK_UP)
    quality = app.wait_text(QUALITY, STANDARD, 3000, first)
    for expected in ("E02", "E03", "E04"):
        step(app, first, EPISODE_SPIN, True, EPISODE, expected)
    step(app, first, SEASON_SPIN, False, SEASON, "S01")
    app.click(NEXT, first)
    app.wait_window(second)
    on_second = page_state(app, second)

    # The second option, then both numbers wrap below 1.
    app.click(WATCHED, second)
    spins_on, _ = app.wait_state(SEASON_SPIN, "enabled", 3000, second)
    wrapped = [step(app, second, SEASON_SPIN, False, SEASON, "S32"),
               step(app, second, EPISODE_SPIN, False, EPISODE, "E99")]
    app.click(NEXT, second)
    app.wait_window(third)
    on_third = page_state(app, third)

    # Back: the second page shows what was saved; the third one again; END.
    app.click(PREV, third)
    app.wait_window(second)
    back_on_second = page_state(app, second)
    app.click(PREV, second)
    app.wait_window(first)
    back_on_first = page_state(app, first)
    app.click(NEXT, first)
    app.wait_window(second)
    app.click(NEXT, second)
    app.wait_window(third)
    app.click(NEXT, third)
    closed = app.wait_gone(third, 5000)
    after = app.text(SETTINGS_BUTTON)
    in_memory = app.file(FAVOURITES).read_bytes()
    assert app.close_and_wait(proc) == 0

    assert window["owner"] == TITLE and window["style"] == 0x94C800D4, window
    assert misplaced == {}
    assert opened == page(HD, True, "S02E01", True, False, BUILT_IN["Next"])
    assert quality == STANDARD
    # Never watched and no episode known: the first episode, not to be changed.
    assert on_second == page(STANDARD, False, "S01E01", False, True, BUILT_IN["Next"])
    assert spins_on and wrapped == ["S32", "E99"]
    assert on_third == page(STANDARD, True, "S01E10", True, True, BUILT_IN["End"])
    assert back_on_second == page(STANDARD, True, "S32E99", True, True, BUILT_IN["Next"])
    assert back_on_first == page(STANDARD, True, "S01E04", True, False, BUILT_IN["Next"])
    assert closed
    # One never-watched favourite before, none after.
    assert before == window_texts(BUILT_IN, shows=3, favourites=3, unwatched=1)[SETTINGS_BUTTON]
    assert after == window_texts(BUILT_IN, shows=3, favourites=3, unwatched=0)[SETTINGS_BUTTON]
    # Nothing is written before the program ends.
    assert in_memory == (favourite(HARBOUR, "S02E01", "H") + "\r\n" + favourite(QUIET, "S00E00", "L") + "\r\n" +
                         favourite(ORCHARD, "S01E10", "L") + "\r\n").encode("cp1252")
    assert app.file(FAVOURITES).read_bytes() == (
        favourite(HARBOUR, "S01E04", "L") + "\r\n" + favourite(QUIET, "S32E99", "L") + "\r\n" +
        favourite(ORCHARD, "S01E10", "L") + "\r\n").encode("cp1252")


def test_settings_pages_closed_without_turning_keep_only_the_quality_in_the_record(app):
    set_up_site(app, [HARBOUR], favourites=[favourite(HARBOUR, "S02E01", "H")])
    proc = start_and_settle(app)
    only = caption(1, 1, HARBOUR[1])
    open_settings(app, only)
    opened = page_state(app, only)

    # Tab goes round the controls that take input; the focus starts on the
    # quality list.
    order = [focus(app, only)]
    for _ in range(5):
        app.ask("key", only, 0, VK_TAB)
        wait_until(lambda: focus(app, only) != order[-1], 3)
        order.append(focus(app, only))

    # A new quality goes into the show's record at once; the new episode only
    # with a turned page. Escape ends the pages without turning one.
    app.ask("key", only, QUALITY, VK_UP)
    app.wait_text(QUALITY, STANDARD, 3000, only)
    step(app, only, EPISODE_SPIN, True, EPISODE, "E02")
    app.ask("key", only, 0, VK_ESCAPE)
    escaped = app.wait_gone(only, 5000)

    open_settings(app, only)
    reopened = page_state(app, only)
    app.close_window(only)
    closed = app.wait_gone(only, 5000)
    assert app.close_and_wait(proc) == 0

    assert opened == page(HD, True, "S02E01", True, False, BUILT_IN["End"])
    # Into the group of options at the one that is checked.
    assert order == [QUALITY, WATCHED, SEASON_EDIT, EPISODE_EDIT, NEXT, QUALITY]
    assert escaped and closed
    assert reopened == page(STANDARD, True, "S02E01", True, False, BUILT_IN["End"])
    # The line keeps the letter it had.
    assert app.file(FAVOURITES).read_bytes() == (favourite(HARBOUR, "S02E01", "H") + "\r\n").encode("cp1252")


# --- the blacklist dialog ------------------------------------------------------------

ALPHA = ("/shows/31/alpha-centauri/", "Alpha Centauri")
BREAKING = ("/shows/32/breaking-point/", "Breaking Point")
GONE = ("/shows/33/gone-fishing/", "Gone Fishing")
LOST = ("/shows/34/lost/", "Lost")
PLAIN = ("/shows/35/plain-sailing/", "Plain Sailing")
THE_LOST = ("/shows/36/the-lost/", "The Lost")
CATALOGUE = [ALPHA, BREAKING, GONE, HARBOUR, LOST, PLAIN, THE_LOST]


def list_names(app, control, title=BLACKLIST_TITLE):
    return [text for text, _ in app.list_items(control, title)]


def dialog_state(app):
    return {
        "left": list_names(app, CANDIDATES),
        "right": list_names(app, BLACKLISTED),
        "buttons": [app.state(c, BLACKLIST_TITLE)["enabled"] for c in (TO_BLACKLIST, PUT_BACK)],
    }


def main_state(app):
    return {"shows": app.list_items(SHOW_LIST), "texts": read_window_texts(app)}


def move(app, source, items, button, screenshot=None):
    """Selects these items of a list, presses its button once it is enabled
    and waits until the move is done (the button disabled again)."""
    app.ask("select", BLACKLIST_TITLE, source, ",".join(str(i) for i in items))
    enabled, state = app.wait_state(button, "enabled", 3000, BLACKLIST_TITLE)
    assert enabled, state
    if screenshot:
        app.screenshot(screenshot)
    app.click(button, BLACKLIST_TITLE)
    disabled, state = app.wait_state(button, "disabled", 3000, BLACKLIST_TITLE)
    assert disabled, state


def test_blacklist_dialog_moves_shows_both_ways_and_the_main_window_follows(app):
    # "Nowhere Man" is blacklisted but no longer on the site.
    set_up_site(app, CATALOGUE, favourites=[favourite(HARBOUR, "S02E01", "H")],
                blacklist=["The Lost", "Lost", "Nowhere Man"])
    proc = start_and_settle(app)
    loaded = main_state(app)

    app.click(BLACKLIST_LABEL)
    app.wait_window(BLACKLIST_TITLE)
    window = app.window(BLACKLIST_TITLE)
    opened = dialog_state(app)
    misplaced = misplaced_controls(app, BLACKLIST_TITLE, BLACKLIST_LAYOUT)

    # Three shows to the right at once.
    move(app, CANDIDATES, [0, 2, 3], TO_BLACKLIST, screenshot="blacklist-dialog")
    three_right = dialog_state(app), main_state(app)

    # Lost comes back at the end of the show list, The Lost stays blacklisted.
    move(app, BLACKLISTED, [list_names(app, BLACKLISTED).index("Lost")], PUT_BACK)
    lost_back = dialog_state(app), main_state(app)

    # A name that is no longer on the site stays where it is.
    move(app, BLACKLISTED, [list_names(app, BLACKLISTED).index("Nowhere Man")], PUT_BACK)
    nowhere = dialog_state(app), main_state(app)

    # Alpha Centauri goes back before every other show.
    move(app, BLACKLISTED, [list_names(app, BLACKLISTED).index("Alpha Centauri")], PUT_BACK)
    alpha_back = dialog_state(app), main_state(app)
    app.screenshot("blacklist-after-moves")

    app.close_window(BLACKLIST_TITLE)
    closed = app.wait_gone(BLACKLIST_TITLE, 5000)
    in_memory = app.file(BLACKLIST).read_bytes()
    assert app.close_and_wait(proc) == 0

    def texts(shows, blacklisted):
        return window_texts(BUILT_IN, shows=shows, favourites=1, blacklisted=blacklisted)

    assert window["owner"] == TITLE and window["style"] == 0x94C800D4, window
    assert misplaced == {}
    assert loaded == {"shows": [("Alpha Centauri", 0), ("Breaking Point", 0), ("Gone Fishing", 0),
                                ("Harbour Lights", FAVOURITE), ("Plain Sailing", 0)],
                      "texts": texts(5, 3)}
    # The favourite is not offered; both lists are sorted.
    assert opened == {"left": ["Alpha Centauri", "Breaking Point", "Gone Fishing", "Plain Sailing"],
                      "right": ["Lost", "Nowhere Man", "The Lost"], "buttons": [False, False]}
    assert three_right == (
        {"left": ["Breaking Point"],
         "right": ["Alpha Centauri", "Gone Fishing", "Lost", "Nowhere Man", "Plain Sailing", "The Lost"],
         "buttons": [False, False]},
        {"shows": [("Breaking Point", 0), ("Harbour Lights", FAVOURITE)], "texts": texts(2, 6)})
    assert lost_back == (
        {"left": ["Breaking Point", "Lost"],
         "right": ["Alpha Centauri", "Gone Fishing", "Nowhere Man", "Plain Sailing", "The Lost"],
         "buttons": [False, False]},
        {"shows": [("Breaking Point", 0), ("Harbour Lights", FAVOURITE), ("Lost", 0)], "texts": texts(3, 5)})
    assert nowhere == lost_back
    assert alpha_back == (
        {"left": ["Alpha Centauri", "Breaking Point", "Lost"],
         "right": ["Gone Fishing", "Nowhere Man", "Plain Sailing", "The Lost"], "buttons": [False, False]},
        {"shows": [("Alpha Centauri", 0), ("Breaking Point", 0), ("Harbour Lights", FAVOURITE), ("Lost", 0)],
         "texts": texts(4, 4)})
    assert closed
    # Written when the program ends, in the order of the moves.
    assert in_memory == b"The Lost\r\nLost\r\nNowhere Man\r\n"
    assert app.file(BLACKLIST).read_bytes() == b"The Lost\r\nNowhere Man\r\nGone Fishing\r\nPlain Sailing\r\n"
    assert app.file(FAVOURITES).read_bytes() == (favourite(HARBOUR, "S02E01", "H") + "\r\n").encode("cp1252")


# --- 150 % ---------------------------------------------------------------------

def scale_prefix(app, dpi):
    """The scenario's prefix at another screen resolution: this Wine reads
    the resolution from HKCU\\Control Panel\\Desktop LogPixels when a program
    starts; the prefix's running session is ended so nothing keeps the old one."""
    subprocess.run(["wine", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                    "/d", str(dpi), "/f"], env=app.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60, check=True)
    subprocess.run(["wineserver", "-k"], env=app.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=30)


def test_both_dialogs_keep_their_layout_at_150_percent(app):
    set_up_site(app, [HARBOUR, QUIET, LOST, PLAIN],
                favourites=[favourite(HARBOUR, "S02E01", "H"), favourite(QUIET, "S00E00", "L")], blacklist=["Lost"])
    scale_prefix(app, 144)
    proc = start_and_settle(app)
    # 100 dialog units at 144 dots per inch: 1.5 times the 150 x 150 pixels of 96.
    scaled = json.loads(app.ask("dlu", 0, 0, 100, 100))
    settings_size = [0, 0] + json.loads(app.ask("dlu", 0, 0, 280, 100))[2:]
    blacklist_size = [0, 0] + json.loads(app.ask("dlu", 0, 0, 358, 150))[2:]

    first, second = caption(1, 2, HARBOUR[1]), caption(2, 2, QUIET[1])
    open_settings(app, first)
    app.click(NEXT, first)
    app.wait_window(second)
    settings = {"client": app.window(second)["client"], "misplaced": misplaced_controls(app, second, SETTINGS_LAYOUT),
                "page": page_state(app, second)}
    app.screenshot("settings-150")
    app.click(NEXT, second)
    settings_closed = app.wait_gone(second, 5000)

    app.click(BLACKLIST_LABEL)
    app.wait_window(BLACKLIST_TITLE)
    app.ask("select", BLACKLIST_TITLE, CANDIDATES, "0")
    app.wait_state(TO_BLACKLIST, "enabled", 3000, BLACKLIST_TITLE)
    blacklist = {"client": app.window(BLACKLIST_TITLE)["client"],
                 "misplaced": misplaced_controls(app, BLACKLIST_TITLE, BLACKLIST_LAYOUT),
                 "lists": [list_names(app, CANDIDATES), list_names(app, BLACKLISTED)]}
    app.screenshot("blacklist-150")
    app.close_window(BLACKLIST_TITLE)
    blacklist_closed = app.wait_gone(BLACKLIST_TITLE, 5000)
    assert app.close_and_wait(proc) == 0

    assert scaled[2:] >= [225, 212], scaled
    assert settings == {"client": settings_size, "misplaced": {},
                        "page": page(STANDARD, False, "S01E01", False, True, BUILT_IN["End"])}
    assert blacklist == {"client": blacklist_size, "misplaced": {}, "lists": [["Plain Sailing"], ["Lost"]]}
    assert settings_closed and blacklist_closed
