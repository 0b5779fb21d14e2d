"""A real mouse and keyboard: clicks and keys sent through the X server
(xdotool, the XTest extension of Xvfb), so they reach the program through
Wine's input with mouse capture, focus and activation, as a user's hand
does, where the other scenarios post messages. The show list's check boxes
and space bar, its context menu, the buttons of every window, and the keys
Tab, Escape and the arrows."""

import pytest

from english_texts import BUILT_IN
from harness import COUNTDOWN_TITLES, DOWNLOAD_CLOSE_BUTTON, SETTINGS_BUTTON, SHOW_LIST, TITLE, wait_until
from test_show_list_boxes import (FAVOURITE, FAVOURITES, HARBOUR_LINE, QUIET, SHOWS, file_bytes, listing,
                                  new_line, selected, set_up, settings_text, tick_question, untick_question)

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


def answer_box(app, answer, how):
    """Answers the question now shown with a real click on its button, or
    with real keys: Return takes the default button (Yes), Tab moves to No."""
    if how == "click":
        return app.real_answer(answer)
    box = app.message_box("Epiloom", 5000)
    assert box is not None, app.windows()
    app.real_keys(*(["Return"] if answer == "yes" else ["Tab", "Return"]), title="Epiloom")
    assert app.wait_gone("Epiloom", 5000), "the question stayed after the keys"
    return box


# --- the check boxes and the mouse capture -------------------------------------------

@pytest.mark.parametrize("answer, how", [("yes", "click"), ("no", "click"), ("yes", "keys"), ("no", "keys")])
def test_after_the_tick_question_the_list_holds_no_capture_and_the_next_click_selects(app, answer, how):
    set_up(app)
    proc = settle(app)
    loaded = listing(app)["items"]

    app.real_click(SHOW_LIST, at=(BOX_X, 0), item=1)
    box = answer_box(app, answer, how)
    after_answer = {"capture": capture(app), "selected": selected(app), "items": listing(app)["items"]}

    # The mouse passes over another show without a button: the selection
    # stays where the click put it.
    x, y = app.screen_point(SHOW_LIST, item=3)
    app.xdotool("mousemove", "--sync", x, y)
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
    assert box == tick_question("Quiet Fields")
    ticked = answer == "yes"
    assert after_answer == {"capture": None, "selected": [1],
                            "items": [loaded[0], ("Quiet Fields", FAVOURITE if ticked else 0)] + loaded[2:]}
    assert after_move == [1]
    assert selects and asked is None
    assert after_click == {"capture": None, "counts": settings_text(2 if ticked else 1, 1 if ticked else 0)}
    assert app.file(FAVOURITES).read_bytes() == file_bytes([HARBOUR_LINE] + ([new_line(QUIET)] if ticked else []))
