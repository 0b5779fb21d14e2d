"""A real mouse and keyboard: clicks and keys sent through the X server
(xdotool, the XTest extension of Xvfb), so they reach the program through
Wine's input with mouse capture, focus and activation, as a user's hand
does, where the other scenarios post messages. The show list's check boxes
and space bar, its context menu, the buttons of every window, and the keys
Tab, Escape and the arrows."""

import json
import time

import pytest

from english_texts import BUILT_IN
from harness import (BLACKLIST_LABEL, CANCEL_CHECK_BUTTON, COUNTDOWN_TITLES, DOWNLOAD_BUTTON, DOWNLOAD_CLOSE_BUTTON,
                     EPISODE_CHECK_TITLE, SETTINGS_BUTTON, SHOW_LIST, TITLE, episode_page_path, wait_until)
from test_list_dialogs import (BLACKLIST_TITLE, BLACKLISTED, CANDIDATES, EPISODE, EPISODE_SPIN, HD, NEXT,
                               NOT_WATCHED, ORCHARD, PREV, PUT_BACK, QUALITY, SEASON, SEASON_SPIN, STANDARD,
                               TO_BLACKLIST, WATCHED, favourite, set_up_site)
from test_show_list_boxes import (BLACKLIST, FAVOURITE, FAVOURITES, HARBOUR, HARBOUR_LINE, QUIET, blacklist_question,
                                  file_bytes, listing, new_line, selected, set_up, settings_text, tick_question,
                                  untick_question)

SETTINGS_TITLES = BUILT_IN["Param1"] + " *"  # the pages' captions name the page

BOX_X = 8  # client x of a show's check box in the list


def settle(app):
    """Starts the program and waits until the show list is loaded and the
    download window, with nothing new, is closed by a real click on Close."""
    proc = app.start()
    app.wait_window()
    app.wait_show_list()
    assert app.drive("wait-window", COUNTDOWN_TITLES, 15000)[0] == 0, app.windows()
    app.real_click(DOWNLOAD_CLOSE_BUTTON, COUNTDOWN_TITLES)
    assert app.wait_gone(COUNTDOWN_TITLES, 5000), "the download window stayed after a click on Close"
    return proc


def capture(app):
    """The window holding the program's mouse capture, as "title/id", or None."""
    held = app.input_state()["capture"]
    return None if held is None else "%s/%d" % (held["title"], held["id"])


def shown_box(app, caption="Epiloom"):
    """The message box shown (see app.message_box), read again when it was
    read before its first paint (no icon yet)."""
    box = app.message_box(caption, 5000)
    if box is not None and box["icon"] == "unknown":
        app.drive("sleep", 300)
        box = app.message_box(caption, 5000)
    return box


def answer_box(app, answer, how):
    """Answers the question now shown with a real click on its button, or
    with real keys: Return takes the default button (Yes), Tab moves to No."""
    if how == "click":
        return app.real_answer(answer)
    box = shown_box(app)
    assert box is not None, app.windows()
    app.real_keys(*(["Return"] if answer == "yes" else ["Tab", "Return"]), title="Epiloom")
    assert app.wait_gone("Epiloom", 5000), "the question stayed after the keys"
    return box


# --- the check boxes and the mouse capture -------------------------------------------

# (show's item, answer, how it is given): Quiet Fields is ticked, Harbour
# Lights, the one favourite, unticked.
@pytest.mark.parametrize("item, answer, how", [(1, "yes", "click"), (1, "no", "click"), (1, "yes", "keys"),
                                               (1, "no", "keys"), (0, "yes", "click")])
def test_after_the_tick_question_the_list_holds_no_capture_and_the_next_click_selects(app, item, answer, how):
    set_up(app)
    proc = settle(app)
    loaded = listing(app)["items"]

    app.real_click(SHOW_LIST, at=(BOX_X, 0), item=item)
    box = answer_box(app, answer, how)
    after_answer = {"capture": capture(app), "selected": selected(app), "items": listing(app)["items"]}

    # The mouse passes over another show without a button: the selection
    # stays where the click put it.
    x, y = app.screen_point(SHOW_LIST, item=3)
    app.mouse_to(x, y)
    app.drive("sleep", 300)
    after_move = selected(app)

    # The next click on a name selects that show, and asks nothing.
    app.real_click(SHOW_LIST, item=4)
    selects = wait_until(lambda: selected(app) == [4], 3)
    asked = app.message_box("Epiloom", 1000)
    after_click = {"capture": capture(app), "counts": app.text(SETTINGS_BUTTON)}
    app.screenshot("after-%s-by-%s" % (answer, how))
    assert app.close_and_wait(proc) == 0

    print("\n[capture] after the answer %r; after a move %r; the next click selects %r, asks %r; then %r"
          % (after_answer, after_move, selects, asked, after_click))
    name, was_favourite = loaded[item]
    tick = was_favourite == 0
    changed = answer == "yes"
    favourites = ([HARBOUR_LINE] + ([new_line(QUIET)] if changed else [])) if tick else ([] if changed
                                                                                         else [HARBOUR_LINE])
    items = list(loaded)
    items[item] = (name, (FAVOURITE if tick else 0) if changed else was_favourite)
    assert box == (tick_question if tick else untick_question)(name)
    assert after_answer == {"capture": None, "selected": [item], "items": items}
    assert after_move == [item]
    assert selects and asked is None
    assert after_click == {"capture": None, "counts": settings_text(len(favourites), 1 if tick and changed else 0)}
    # A list with no entries is written as one empty line.
    assert app.file(FAVOURITES).read_bytes() == (file_bytes(favourites) if favourites else b"\r\n")


# --- the keyboard in the show list and the main window --------------------------------

def focused(app, title=TITLE):
    """The control ID that has the keyboard focus in the window's thread."""
    focus = app.input_state(title)["focus"]
    return None if focus is None else focus["id"]


def test_arrows_move_the_selection_space_asks_and_tab_walks_the_main_window(app):
    set_up(app)
    proc = settle(app)
    loaded = listing(app)["items"]

    # A click on a name gives the list the focus; the arrows move from there.
    app.real_click(SHOW_LIST, item=0)
    first = wait_until(lambda: selected(app) == [0], 3)
    app.real_keys("Down", "Down")
    down = wait_until(lambda: selected(app) == [2], 3) and selected(app)
    app.real_keys("Up")
    up = wait_until(lambda: selected(app) == [1], 3) and selected(app)

    # Space on the selected show asks; held down past the key repeat, it
    # still asks once and answers nothing by itself.
    app.xdotool("keydown", "space")
    time.sleep(1.2)
    app.xdotool("keyup", "space")
    held_box = shown_box(app)
    time.sleep(0.5)
    still_asking = app.window_count("Epiloom")
    if still_asking:
        app.real_answer("no")
    after_no = listing(app)["items"]
    print("\n[held space] the question %r; still asking after the key was let go: %r; the list then %r"
          % (held_box, still_asking, after_no))

    app.real_keys("space")
    tick_box = app.real_answer("yes")
    after_yes = {"items": listing(app)["items"], "capture": capture(app), "focus": focused(app),
                 "selected": selected(app)}

    # Tab walks the list and the two large buttons, round to the list.
    walk = []
    for _ in range(3):
        app.real_keys("Tab")
        app.drive("sleep", 150)
        walk.append(focused(app))
    # Escape does not end the main window.
    app.real_keys("Escape")
    time.sleep(1)
    after_escape = {"running": proc.poll() is None, "windows": [w["title"] for w in app.windows()]}
    assert app.close_and_wait(proc) == 0

    assert first and down == [2] and up == [1]
    assert held_box == tick_question("Quiet Fields") and still_asking == 1
    assert after_no == loaded
    assert tick_box == tick_question("Quiet Fields")
    assert after_yes == {"items": [loaded[0], ("Quiet Fields", FAVOURITE)] + loaded[2:], "capture": None,
                         "focus": SHOW_LIST, "selected": [1]}
    assert walk == [SETTINGS_BUTTON, DOWNLOAD_BUTTON, SHOW_LIST]
    assert after_escape == {"running": True, "windows": [TITLE]}
    assert app.file(FAVOURITES).read_bytes() == file_bytes([HARBOUR_LINE, new_line(QUIET)])


# --- the context menu -----------------------------------------------------------------

def menu_on_screen(app):
    """The popup menu's rectangle on the screen (it has one item)."""
    return json.loads(app.ask("menu-rect", 5000))["rect"]


def click_on_screen(app, x, y):
    app.mouse_to(x, y)
    app.xdotool("click", 1)


def test_a_real_right_click_opens_the_menu_and_a_real_click_on_its_item_blacklists(app):
    set_up(app, blacklist=["Lost"])
    proc = settle(app)
    loaded = listing(app)["items"]

    # A favourite: its one item is disabled, a click on it does nothing;
    # Escape closes the menu.
    app.real_click(SHOW_LIST, item=0, button="right")
    left, top, right, bottom = menu_on_screen(app)
    click_on_screen(app, (left + right) // 2, (top + bottom) // 2)
    favourite_asked = app.message_box(BUILT_IN["Remove3"], 1000)
    app.xdotool("key", "Escape")
    favourite_closed = wait_until(lambda: not app.menu_shown(), 5)
    after_favourite = {"items": listing(app)["items"], "capture": capture(app)}

    # Plain Sailing: the right click selects it; its item asks; Yes removes it.
    app.real_click(SHOW_LIST, item=3, button="right")
    left, top, right, bottom = menu_on_screen(app)
    menu_selected = selected(app)
    app.screenshot("show-menu")
    click_on_screen(app, (left + right) // 2, (top + bottom) // 2)
    closed = wait_until(lambda: not app.menu_shown(), 5)
    box = app.real_answer("yes", BUILT_IN["Remove3"])
    after = {"items": listing(app)["items"], "capture": capture(app), "menu": app.menu_shown()}
    assert app.close_and_wait(proc) == 0

    assert favourite_asked is None and favourite_closed
    assert after_favourite == {"items": loaded, "capture": None}
    assert menu_selected == [3] and closed
    assert box == blacklist_question("Plain Sailing")
    assert after == {"items": [i for i in loaded if i[0] != "Plain Sailing"], "capture": None, "menu": False}
    assert app.file(BLACKLIST).read_bytes() == file_bytes(["Lost", "Plain Sailing"])


# --- the settings pages -----------------------------------------------------------------

def spin(app, control, title=SETTINGS_TITLES):
    """A real click on the upper arrow of an up-down control."""
    left, top, right, bottom = app.where(control, title)["rect"]
    app.real_click(control, title, at=((right - left) // 2 - 1, (bottom - top) // 4))


def page(app):
    """The page shown: caption, option, displays, quality, whether the
    arrows take input, and the two buttons."""
    captions = [w["title"] for w in app.windows() if w["title"].startswith(BUILT_IN["Param1"] + " ")]
    return {"caption": captions[0] if len(captions) == 1 else captions,
            "watched": int(app.ask("checked", SETTINGS_TITLES, WATCHED)),
            "code": app.text(SEASON, SETTINGS_TITLES) + app.text(EPISODE, SETTINGS_TITLES),
            "quality": app.text(QUALITY, SETTINGS_TITLES),
            "arrows": app.state(SEASON_SPIN, SETTINGS_TITLES)["enabled"],
            "prev": app.state(PREV, SETTINGS_TITLES)["visible"], "next": app.text(NEXT, SETTINGS_TITLES)}


def open_settings_pages(app):
    app.real_click(SETTINGS_BUTTON)
    assert app.drive("wait-window", SETTINGS_TITLES, 15000)[0] == 0, app.windows()


def test_the_settings_pages_by_mouse_and_keyboard_and_escape_keeps_the_page_unsaved(app):
    set_up_site(app, [HARBOUR, QUIET, ORCHARD],
                favourites=[favourite(HARBOUR, "S02E01", "H"), favourite(ORCHARD, "S01E10", "L")])
    proc = settle(app)
    open_settings_pages(app)
    steps = {"opened": page(app)}

    # Tab moves the focus on and Shift+Tab back.
    start = focused(app, SETTINGS_TITLES)
    app.real_keys("Tab", title=SETTINGS_TITLES)
    moved = focused(app, SETTINGS_TITLES)
    app.real_keys("shift+Tab", title=SETTINGS_TITLES)
    steps["tab"] = (moved != start, focused(app, SETTINGS_TITLES) == start)

    # Page 1: both arrows up once, then Next.
    spin(app, SEASON_SPIN)
    spin(app, EPISODE_SPIN)
    steps["arrows"] = page(app)["code"]
    app.real_click(NEXT, SETTINGS_TITLES)
    wait_until(lambda: page(app)["prev"], 3)
    # Page 2: "not watched yet", then back.
    app.real_click(NOT_WATCHED, SETTINGS_TITLES)
    wait_until(lambda: not page(app)["arrows"], 3)
    steps["page 2"] = page(app)
    app.real_click(PREV, SETTINGS_TITLES)
    wait_until(lambda: not page(app)["prev"], 3)
    steps["back"] = page(app)
    # The quality from the keyboard in the opened combo box, then Next and End.
    app.real_click(QUALITY, SETTINGS_TITLES)
    app.real_keys("Up", "Return", title=SETTINGS_TITLES)
    wait_until(lambda: page(app)["quality"] == STANDARD, 3)
    steps["quality"] = page(app)["quality"]
    app.real_click(NEXT, SETTINGS_TITLES)
    wait_until(lambda: page(app)["prev"], 3)
    app.real_click(NEXT, SETTINGS_TITLES)
    steps["ended"] = app.wait_gone(SETTINGS_TITLES, 5000)

    # Again: a change, then Escape: the dialog ends and keeps nothing of it.
    open_settings_pages(app)
    spin(app, SEASON_SPIN)
    steps["changed"] = page(app)["code"]
    app.real_keys("Escape", title=SETTINGS_TITLES)
    steps["escaped"] = app.wait_gone(SETTINGS_TITLES, 5000)
    steps["main window"] = {"enabled": app.window(TITLE)["enabled"], "capture": capture(app)}
    assert app.close_and_wait(proc) == 0

    first = "%s 1/2 - Harbour Lights" % BUILT_IN["Param1"]
    second = "%s 2/2 - The Ninth Orchard" % BUILT_IN["Param1"]
    assert steps == {
        "opened": {"caption": first, "watched": 1, "code": "S02E01", "quality": HD, "arrows": True, "prev": False,
                   "next": BUILT_IN["Next"]},
        "tab": (True, True),
        "arrows": "S03E02",
        "page 2": {"caption": second, "watched": 0, "code": "S01E10", "quality": STANDARD, "arrows": False,
                   "prev": True, "next": BUILT_IN["End"]},
        "back": {"caption": first, "watched": 1, "code": "S03E02", "quality": HD, "arrows": True, "prev": False,
                 "next": BUILT_IN["Next"]},
        "quality": STANDARD,
        "ended": True,
        "changed": "S04E02",
        "escaped": True,
        "main window": {"enabled": True, "capture": None},
    }
    assert app.file(FAVOURITES).read_bytes() == file_bytes([favourite(HARBOUR, "S03E02", "L"),
                                                            favourite(ORCHARD, "S00E00", "L")])


# --- the blacklist dialog ------------------------------------------------------------------

def test_the_blacklist_dialog_by_mouse_and_escape(app):
    set_up(app, blacklist=["Lost"])
    proc = settle(app)
    app.real_click(BLACKLIST_LABEL)
    assert app.drive("wait-window", BLACKLIST_TITLE, 5000)[0] == 0, app.windows()
    names = lambda control: [n for n, _ in app.list_items(control, BLACKLIST_TITLE)]
    enabled = lambda control: app.state(control, BLACKLIST_TITLE)["enabled"]
    steps = {"opened": (names(CANDIDATES), names(BLACKLISTED), enabled(TO_BLACKLIST), enabled(PUT_BACK))}

    app.real_click(CANDIDATES, BLACKLIST_TITLE, item=names(CANDIDATES).index("Plain Sailing"))
    steps["picked"] = wait_until(lambda: enabled(TO_BLACKLIST), 3)
    app.real_click(TO_BLACKLIST, BLACKLIST_TITLE)
    wait_until(lambda: "Plain Sailing" in names(BLACKLISTED), 3)
    steps["moved"] = (names(CANDIDATES), names(BLACKLISTED), enabled(TO_BLACKLIST))

    app.real_click(BLACKLISTED, BLACKLIST_TITLE, item=names(BLACKLISTED).index("Plain Sailing"))
    steps["picked back"] = wait_until(lambda: enabled(PUT_BACK), 3)
    app.real_click(PUT_BACK, BLACKLIST_TITLE)
    wait_until(lambda: "Plain Sailing" in names(CANDIDATES), 3)
    steps["moved back"] = (names(CANDIDATES), names(BLACKLISTED), enabled(PUT_BACK))

    app.real_keys("Escape", title=BLACKLIST_TITLE)
    steps["escaped"] = app.wait_gone(BLACKLIST_TITLE, 5000)
    steps["main window"] = {"items": [n for n, _ in listing(app)["items"]], "enabled": app.window(TITLE)["enabled"]}
    assert app.close_and_wait(proc) == 0

    assert steps == {
        "opened": (["Gone Fishing", "Plain Sailing", "Quiet Fields", "The Ninth Orchard"], ["Lost"], False, False),
        "picked": True,
        "moved": (["Gone Fishing", "Quiet Fields", "The Ninth Orchard"], ["Lost", "Plain Sailing"], False),
        "picked back": True,
        "moved back": (["Gone Fishing", "Plain Sailing", "Quiet Fields", "The Ninth Orchard"], ["Lost"], False),
        "escaped": True,
        # Put back at its place in byte order: before the first name after it.
        "main window": {"items": ["Harbour Lights", "Plain Sailing", "Quiet Fields", "The Ninth Orchard",
                                  "Gone Fishing"], "enabled": True},
    }
    assert app.file(BLACKLIST).read_bytes() == file_bytes(["Lost"])


# --- the episode check and the download window ----------------------------------------------

def test_cancel_and_escape_end_the_episode_check_and_escape_the_download_window(app):
    set_up(app)
    page_path = episode_page_path(HARBOUR[0])
    app.hold(page_path)
    proc = app.start()
    app.wait_window()
    steps = {}

    # The check of the first cycle: its Cancel button, clicked.
    assert app.drive("wait-window", EPISODE_CHECK_TITLE, 15000)[0] == 0, app.windows()
    assert app.wait_requested(page_path)
    app.real_click(CANCEL_CHECK_BUTTON, EPISODE_CHECK_TITLE)
    steps["cancel"] = app.wait_gone(EPISODE_CHECK_TITLE, 5000)
    app.release(page_path)
    time.sleep(1.5)
    steps["after cancel"] = [w["title"] for w in app.windows()]

    # The download button checks again: Escape ends that check too.
    app.hold(page_path)
    asked = len([p for p in app.requested() if p == page_path])
    app.real_click(DOWNLOAD_BUTTON)
    assert app.drive("wait-window", EPISODE_CHECK_TITLE, 15000)[0] == 0, app.windows()
    assert wait_until(lambda: len([p for p in app.requested() if p == page_path]) > asked, 10)
    app.real_keys("Escape", title=EPISODE_CHECK_TITLE)
    steps["escape check"] = app.wait_gone(EPISODE_CHECK_TITLE, 5000)
    app.release(page_path)
    time.sleep(1.5)
    steps["after escape"] = [w["title"] for w in app.windows()]

    # Once more, to its end: the download window finds nothing new and
    # counts down; Escape ends it as its Close button does.
    app.real_click(DOWNLOAD_BUTTON)
    assert app.drive("wait-window", COUNTDOWN_TITLES, 20000)[0] == 0, app.windows()
    app.real_keys("Escape", title=COUNTDOWN_TITLES)
    steps["escape download"] = app.wait_gone(COUNTDOWN_TITLES, 5000)
    time.sleep(2)
    steps["after"] = {"running": proc.poll() is None, "windows": [w["title"] for w in app.windows()],
                      "enabled": app.window(TITLE)["enabled"], "capture": capture(app)}
    assert app.close_and_wait(proc) == 0

    assert steps == {"cancel": True, "after cancel": [TITLE], "escape check": True, "after escape": [TITLE],
                     "escape download": True,
                     "after": {"running": True, "windows": [TITLE], "enabled": True, "capture": None}}
