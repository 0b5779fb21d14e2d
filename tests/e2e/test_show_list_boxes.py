"""The main window's show list: a click in a show's check box, or the space
bar on the selected show, ticks or unticks it after a question; a click on
the name only selects. The list's context menu moves a show that is not a
favourite to the blacklist, from the mouse or from the keyboard (placed
under the selected item). What each answer does to the list, the counts on
the window and the list files written at the end; the list at 96 and 144
dots per inch."""

import json
import subprocess

import pytest

from english_texts import BUILT_IN
from harness import (BLACKLIST_LABEL, SETTINGS_BUTTON, SHOW_LIST, TITLE, episode_page, episode_page_path,
                     show_list_page, wait_until)
from translations import window_texts

FAVOURITES = "Epiloom.favorite"
BLACKLIST = "Epiloom.blacklist"
FAVOURITE = -1  # item data of a ticked show

VK_SPACE = 0x20

HARBOUR = ("/shows/21/harbour-lights/", "Harbour Lights")
QUIET = ("/shows/23/quiet-fields/", "Quiet Fields")
ORCHARD = ("/shows/24/ninth-orchard/", "The Ninth Orchard")
PLAIN = ("/shows/25/plain-sailing/", "Plain Sailing")
GONE = ("/shows/26/gone-fishing/", "Gone Fishing")
SHOWS = [HARBOUR, QUIET, ORCHARD, PLAIN, GONE]

HARBOUR_LINE = "Harbour Lights|/shows/21/harbour-lights>S02E01H"


def new_line(show):
    """The favourite line of a show ticked in the list: nothing watched yet,
    standard quality."""
    path, title = show
    return "%s|%s>S00E00L" % (title, path.rstrip("/"))


def file_bytes(lines):
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def set_up(app, shows=SHOWS, favourites=(HARBOUR_LINE,), blacklist=()):
    """Every show's page holds no episode: nothing is ever new."""
    app.serve("/showlist/", show_list_page(shows))
    for path, title in shows:
        app.serve(episode_page_path(path), episode_page(title, []))
    app.file(FAVOURITES).write_bytes(file_bytes(favourites))
    app.file(BLACKLIST).write_bytes(file_bytes(blacklist))


def start_and_settle(app):
    proc = app.start()
    app.wait_window()
    app.wait_show_list()
    app.close_download_window()
    return proc


def listing(app):
    """The show list: items (name, data), top index, item height, client rect."""
    result = json.loads(app.ask("list", TITLE, SHOW_LIST))
    result["items"] = [(i["text"], i["data"]) for i in result["items"]]
    return result


def selected(app):
    return json.loads(app.ask("selected", TITLE, SHOW_LIST))


def point_in(app, index, where):
    """Client pixels of the list inside item `index`: in its check box
    ("box", x 8) or on its name ("name", well right of the box)."""
    shown = listing(app)
    y = (index - shown["top"]) * shown["height"] + shown["height"] // 2
    return (8 if where == "box" else shown["client"][2] // 2), y


def real_click(app, index, where, button="left"):
    x, y = point_in(app, index, where)
    app.drive("sleep", 600)  # longer than the double-click time after the last click
    app.ask("real-click", TITLE, SHOW_LIST, button, x, y)


def no_question(app, caption="Epiloom", timeout_ms=1000):
    """True when no message box with this caption comes up within the time."""
    return app.message_box(caption, timeout_ms) is None


def settings_text(favourites, unwatched):
    return window_texts(BUILT_IN, shows=len(SHOWS), favourites=favourites, unwatched=unwatched)[SETTINGS_BUTTON]


def tick_question(name):
    return {"text": "%s %s %s" % (BUILT_IN["Check1"], name, BUILT_IN["Check2"]), "buttons": ["yes", "no"],
            "icon": "question", "owner": TITLE}


def untick_question(name):
    return {"text": "%s %s ?" % (BUILT_IN["Uncheck"], name), "buttons": ["yes", "no"], "icon": "error",
            "owner": TITLE}


def blacklist_question(name):
    return {"text": "%s %s ?\n%s" % (BUILT_IN["Remove1"], name, BUILT_IN["Remove2"]), "buttons": ["yes", "no"],
            "icon": "warning", "owner": TITLE}


def answered(app, answer, caption="Epiloom"):
    """The message box now shown, answered; returns what it showed."""
    box = app.message_box(caption, 5000)
    assert box is not None, app.windows()
    app.answer(answer, caption)
    return box


# --- ticking with the mouse --------------------------------------------------------

@pytest.mark.parametrize("answer", ["no", "yes"])
def test_a_click_on_the_name_only_selects_and_a_click_in_the_box_asks_before_ticking(app, answer):
    set_up(app)
    proc = start_and_settle(app)
    loaded = listing(app)["items"]
    counts = app.text(SETTINGS_BUTTON)

    # On the name of Plain Sailing: selected, nothing asked.
    real_click(app, 3, "name")
    name_selects = wait_until(lambda: selected(app) == [3], 3)
    asked_on_name = not no_question(app)
    after_name = listing(app)["items"]

    # In the box of Quiet Fields: the question, then the answer.
    real_click(app, 1, "box")
    box = answered(app, answer)
    app.screenshot("after-" + answer)
    after = listing(app)["items"]
    after_counts = app.text(SETTINGS_BUTTON)
    assert app.close_and_wait(proc) == 0

    assert loaded == [("Harbour Lights", FAVOURITE), ("Quiet Fields", 0), ("The Ninth Orchard", 0),
                      ("Plain Sailing", 0), ("Gone Fishing", 0)]
    assert counts == settings_text(1, 0)
    assert name_selects and not asked_on_name and after_name == loaded
    assert box == tick_question("Quiet Fields")
    if answer == "no":
        assert after == loaded and after_counts == counts
        assert app.file(FAVOURITES).read_bytes() == file_bytes([HARBOUR_LINE])
    else:
        assert after == [("Harbour Lights", FAVOURITE), ("Quiet Fields", FAVOURITE), ("The Ninth Orchard", 0),
                         ("Plain Sailing", 0), ("Gone Fishing", 0)]
        assert after_counts == settings_text(2, 1)
        assert app.file(FAVOURITES).read_bytes() == file_bytes([HARBOUR_LINE, new_line(QUIET)])


def test_ticking_unticking_and_ticking_again_leaves_one_line(app):
    set_up(app)
    proc = start_and_settle(app)
    steps = []
    for question in (tick_question, untick_question, tick_question):
        real_click(app, 2, "box")
        box = answered(app, "yes")
        steps.append((box == question("The Ninth Orchard"), listing(app)["items"][2], app.text(SETTINGS_BUTTON)))
    assert app.close_and_wait(proc) == 0

    assert steps == [(True, ("The Ninth Orchard", FAVOURITE), settings_text(2, 1)),
                     (True, ("The Ninth Orchard", 0), settings_text(1, 0)),
                     (True, ("The Ninth Orchard", FAVOURITE), settings_text(2, 1))]
    assert app.file(FAVOURITES).read_bytes() == file_bytes([HARBOUR_LINE, new_line(ORCHARD)])


# --- the space bar -----------------------------------------------------------------

def test_space_does_nothing_without_a_selection_and_unticks_the_selected_favourite(app):
    set_up(app)
    proc = start_and_settle(app)
    loaded = listing(app)["items"]

    app.ask("select", TITLE, SHOW_LIST, "none")
    app.ask("key", TITLE, SHOW_LIST, VK_SPACE)
    nothing_asked = no_question(app)
    # The key goes on to the list box, which may select its focus item:
    # nothing is ticked either way.
    unselected = listing(app)["items"]

    app.ask("select", TITLE, SHOW_LIST, "0")
    app.ask("key", TITLE, SHOW_LIST, VK_SPACE)
    box = answered(app, "yes")
    after = listing(app)["items"], app.text(SETTINGS_BUTTON)
    assert app.close_and_wait(proc) == 0

    assert nothing_asked and unselected == loaded
    assert box == untick_question("Harbour Lights")
    assert after == ([("Harbour Lights", 0)] + loaded[1:], settings_text(0, 0))
    # A list with no entries is written as one empty line.
    assert app.file(FAVOURITES).read_bytes() == b"\r\n"


# --- the context menu --------------------------------------------------------------

def open_menu(app, index, how):
    """Opens the list's context menu on item `index`: a right click through
    the input queue, or WM_CONTEXTMENU at that point of the screen."""
    if how == "right click":
        real_click(app, index, "name", "right")
    else:
        x, y = point_in(app, index, "name")
        app.ask("context-menu", TITLE, SHOW_LIST, x, y)
    menu = json.loads(app.ask("menu-rect", 5000, TITLE, SHOW_LIST))["rect"]
    return menu, json.loads(app.ask("menu-marks", 3000))


def menu_closed(app):
    return wait_until(lambda: not app.menu_shown(), 5)


@pytest.mark.parametrize("how", ["right click", "WM_CONTEXTMENU"])
def test_the_context_menu_blacklists_a_show_but_not_a_favourite(app, how):
    set_up(app, blacklist=["Lost"])
    proc = start_and_settle(app)
    loaded = listing(app)["items"]
    label = app.text(BLACKLIST_LABEL)

    # A favourite: only the disabled item (grey text, no black ink); choosing
    # it does nothing.
    _, favourite_marks = open_menu(app, 0, how)
    favourite_selected = selected(app)
    app.screenshot("favourite-menu")
    app.ask("menu-pick", 0, 3000)
    app.drive("sleep", 300)
    if app.menu_shown():
        app.ask("menu-pick", "none", 3000)
    favourite_closed = menu_closed(app)
    favourite_asked = not no_question(app, BUILT_IN["Remove3"])
    after_favourite = listing(app)["items"]

    # Plain Sailing: one enabled item; No keeps it, Yes removes it.
    plain_menu, plain_marks = open_menu(app, 3, how)
    plain_selected = selected(app)
    app.screenshot("show-menu")
    app.ask("menu-pick", 0, 3000)
    first_closed = menu_closed(app)
    no_box = answered(app, "no", BUILT_IN["Remove3"])
    after_no = listing(app)["items"], app.text(BLACKLIST_LABEL)

    open_menu(app, 3, how)
    app.ask("menu-pick", 0, 3000)
    menu_closed(app)
    yes_box = answered(app, "yes", BUILT_IN["Remove3"])
    after_yes = listing(app)["items"], app.text(BLACKLIST_LABEL), app.text(1004)
    app.screenshot("after-blacklisting")
    assert app.close_and_wait(proc) == 0

    blacklisted = lambda n: "%s %d %s" % (BUILT_IN["Filtering1"], n, BUILT_IN["Filtering2"])
    assert label == blacklisted(1)
    assert favourite_selected == [0] and favourite_closed and not favourite_asked and after_favourite == loaded
    # The favourite's menu shows its one item in grey: no band of black text.
    assert len(favourite_marks) == 0, favourite_marks
    assert len(plain_marks) == 1 and not plain_marks[0]["checked"], plain_marks
    assert plain_selected == [3] and first_closed and plain_menu[2] > plain_menu[0]
    assert no_box == blacklist_question("Plain Sailing")
    assert after_no == (loaded, blacklisted(1))
    assert yes_box == blacklist_question("Plain Sailing")
    assert after_yes == ([i for i in loaded if i[0] != "Plain Sailing"], blacklisted(2),
                         "4 " + BUILT_IN["Available"])
    assert app.file(BLACKLIST).read_bytes() == file_bytes(["Lost", "Plain Sailing"])
    assert app.file(FAVOURITES).read_bytes() == file_bytes([HARBOUR_LINE])


MANY = [("/shows/%d/show-%02d/" % (100 + n, n), "Show %02d" % n) for n in range(40)]


def test_the_keyboard_menu_opens_under_the_third_visible_item(app):
    """WM_CONTEXTMENU at (-1, -1), as the system sends it for the menu key or
    Shift+F10. (A menu-key press posted to the list opens nothing under Wine
    8: its list box handles the key itself.)"""
    set_up(app, shows=MANY, favourites=())
    proc = start_and_settle(app)
    results = []
    # The list at its top, then scrolled down.
    for scroll_to in (0, 35):
        app.ask("select", TITLE, SHOW_LIST, scroll_to)
        app.drive("sleep", 200)
        shown = listing(app)
        third = shown["top"] + 2
        app.ask("select", TITLE, SHOW_LIST, third)
        app.drive("sleep", 200)
        shown = listing(app)
        app.ask("context-menu", TITLE, SHOW_LIST, -1, -1)
        code, rect = app.drive("menu-rect", 5000, TITLE, SHOW_LIST)
        if code == 0:
            app.screenshot("keyboard-menu-top-%d" % shown["top"])
            app.ask("menu-pick", "none", 3000)
            menu_closed(app)
        results.append((shown, third, json.loads(rect)["rect"] if code == 0 else rect))
    # No selection: nothing opens.
    app.ask("select", TITLE, SHOW_LIST, "none")
    app.ask("context-menu", TITLE, SHOW_LIST, -1, -1)
    none_opened = app.drive("menu-rect", 1000)[0] != 0
    assert app.close_and_wait(proc) == 0

    print("\n[keyboard menu] item height %d; %s" % (results[0][0]["height"], [(s["top"], r) for s, _, r in results]))
    assert results[1][0]["top"] > 0, "the list did not scroll"
    for shown, third, rect in results:
        height = shown["height"]
        assert (rect[0], rect[1]) == (shown["client"][2] // 4, (third - shown["top"]) * height + height), (shown, rect)
        if height == 16:
            assert rect[1] == 48
    assert none_opened


# --- the look at 96 and 144 dots per inch ---------------------------------------------

def scale_prefix(app, dpi):
    """This Wine reads the screen resolution from HKCU\\Control Panel\\Desktop
    LogPixels when a program starts; the running session is ended so that
    nothing keeps the old one."""
    subprocess.run(["wine", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                    "/d", str(dpi), "/f"], env=app.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60, check=True)
    subprocess.run(["wineserver", "-k"], env=app.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=30)


@pytest.mark.parametrize("dpi", [96, 144])
def test_ticks_and_selection_stay_inside_their_items(app, dpi):
    set_up(app)
    if dpi != 96:
        scale_prefix(app, dpi)
    proc = start_and_settle(app)
    real_click(app, 3, "box")
    answered(app, "yes")
    real_click(app, 2, "name")
    wait_until(lambda: selected(app) == [2], 3)
    shown = listing(app)
    shot = app.screenshot("list-%d-dpi" % dpi)
    assert app.close_and_wait(proc) == 0

    print("\n[look] %d dpi: item height %d, client %r, screenshot %s" % (dpi, shown["height"], shown["client"], shot))
    assert [data for _, data in shown["items"]] == [FAVOURITE, 0, 0, FAVOURITE, 0]
    # The box runs from 2 px below the item's top to 1 px above its bottom:
    # an item must be tall enough for a box that is not flattened.
    assert shown["height"] >= 13 * dpi // 96 - 1, shown

