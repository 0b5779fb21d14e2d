"""The refresh cycle after a good show list load: the counts, the warning
about favourites that vanished from the site and their removal, the episode
check in its own progress dialog (what it reads, what it shows, how a failed
page, a page without episodes and Cancel end it, the ten-minute rule), the
banner and the about line opening their addresses, and the lists and the
language choice written when the session ends.

A check that goes through opens the new-episode download window; most
favourites here have watched their page's newest episode, so that window
finds nothing new and is closed with its Close button."""

import time

import pytest

from english_texts import BUILT_IN
from harness import (ABOUT_LINE, CANCEL_CHECK_BUTTON, CHECK_COUNTER_LABEL, COUNTDOWN_TITLES, CURRENT_SHOW_LABEL,
                     DOWNLOAD_BUTTON, DOWNLOAD_WINDOW_TITLE, EPISODE_CHECK_TITLE, HOME_URL, LANGUAGE_ICON, LOAD_BAR,
                     REFRESH_BUTTON, SETTINGS_BUTTON, SITE_BANNER, SITE_URL, STATUS_LINE, TITLE, episode_page,
                     episode_page_path, show_list_page, wait_until)
from translations import CHOICE_FILE, FRENCH, language_file, read_choice, read_window_texts, window_texts

FAVOURITES = "Epiloom.favorite"
BLACKLIST = "Epiloom.blacklist"
CHECK = EPISODE_CHECK_TITLE
DOWNLOADS = DOWNLOAD_WINDOW_TITLE
MISSING = BUILT_IN["NotOnKestrix3"].strip()
PROBLEM = BUILT_IN["Problem"].strip()

HARBOUR = ("/shows/21/harbour-lights/", "Harbour Lights")
LOST_ROOM = ("/shows/22/the-lost-room/", "The Lost Room")
QUIET = ("/shows/23/quiet-fields/", "Quiet Fields")
ORCHARD = ("/shows/24/ninth-orchard/", "The Ninth Orchard")
CATALOGUE = [HARBOUR, LOST_ROOM, QUIET, ORCHARD]

EPISODES = [("s02e01", "1.2 GB"), ("s02e01", "350.5 MB"), ("s01e10", "349.0 MB"), ("1x09", "348.2 MB")]
NEWEST = "S02E01"  # a favourite that has watched it has nothing new


def favourite(show, watched=NEWEST, quality="L"):
    path, title = show
    return "%s|%s>%s%s" % (title, path.rstrip("/"), watched, quality)


def page_of(show):
    return episode_page_path(show[0])


def set_up_site(app, shows=CATALOGUE, favourites=(), pages=CATALOGUE):
    """The show list, an episode page for each show of `pages`, and the
    favourites file with these lines."""
    app.serve("/showlist/", show_list_page(shows))
    for show in pages:
        app.serve(page_of(show), episode_page(show[1], EPISODES))
    if favourites:
        app.file(FAVOURITES).write_bytes("".join(line + "\r\n" for line in favourites).encode("cp1252"))


def episode_requests(app):
    return [path for path in app.requested() if path.startswith("/shows/")]


def pages_read(app):
    """The episode pages asked for, sorted: the check downloads several at
    once, so the site sees them in no fixed order."""
    return sorted(episode_requests(app))


def read_ahead_at_most(requests, first, later):
    """A check that ended on the page `first` asked for it, and perhaps for
    the `later` pages it had begun to download ahead, each once."""
    return first in requests and len(set(requests)) == len(requests) and set(requests) <= {first, *later}


def titles_seen(app):
    """Titles of the windows seen since the watch began; the download window
    under its first caption, also when it was first seen counting down."""
    countdown = COUNTDOWN_TITLES.rstrip("*")
    return [DOWNLOADS if w["title"].startswith(countdown) else w["title"] for w in app.seen_windows()]


def wait_check_over(app, timeout_s=15):
    """Waits until the episode-check dialog has been shown and is gone again
    (it may close within milliseconds); returns whether it was."""
    shown = wait_until(lambda: CHECK in titles_seen(app), timeout_s)
    return bool(shown) and app.wait_gone(CHECK, timeout_s * 1000)


def box(text, owner, icon, buttons=("ok",)):
    return {"text": text, "buttons": list(buttons), "icon": icon, "owner": owner}


def settings_text(favourites, unwatched):
    return window_texts(BUILT_IN, shows=1, favourites=favourites, unwatched=unwatched)[SETTINGS_BUTTON]


def buttons_enabled(app):
    return [app.state(c)["enabled"] for c in (SETTINGS_BUTTON, DOWNLOAD_BUTTON)]


# --- vanished favourites ------------------------------------------------------------

VANISHED_FAVOURITES = [
    "Lost|/shows/40/lost>S02E03L",  # gone from the site; its name is part of the next one's
    favourite(LOST_ROOM, quality="H"),
    favourite(HARBOUR),
    "Gone Fishing|/shows/41/gone-fishing>S00E00L",  # gone too, never watched
]


def test_vanished_favourites_are_named_in_a_warning_and_dropped_before_the_check(app):
    set_up_site(app, favourites=VANISHED_FAVOURITES)
    app.watch_windows()
    proc = app.start()
    app.wait_window()
    warning = app.message_box(MISSING, timeout_ms=15000)
    app.screenshot("missing-shows")
    while_warned = {"status": app.text(STATUS_LINE), "settings": app.text(SETTINGS_BUTTON),
                    "checks": app.window_count(CHECK), "pages": episode_requests(app)}
    app.answer("ok", caption=MISSING)
    over = wait_check_over(app)
    app.close_download_window()
    after = {"settings": app.text(SETTINGS_BUTTON), "buttons": buttons_enabled(app),
             "file": app.file(FAVOURITES).read_bytes()}
    titles = titles_seen(app)
    assert app.close_and_wait(proc) == 0

    assert warning == box(BUILT_IN["NotOnKestrix1"] + "\nLost\nGone Fishing\n\n" + BUILT_IN["NotOnKestrix2"],
                          TITLE, "warning")
    # The counts come first and still count the vanished ones; no page is
    # read before the user has been told.
    assert while_warned == {"status": "4 Kestrix Shows available:", "settings": settings_text(4, 1), "checks": 0,
                            "pages": []}
    assert over, titles
    assert titles == [TITLE, MISSING, CHECK, DOWNLOADS]
    assert after == {"settings": settings_text(2, 0), "buttons": [True, True],
                     "file": "".join(line + "\r\n" for line in VANISHED_FAVOURITES).encode("cp1252")}
    assert pages_read(app) == sorted([page_of(LOST_ROOM), page_of(HARBOUR)])
    # Written at the end: only lines whose name is a vanished one go.
    assert app.file(FAVOURITES).read_bytes() == (favourite(LOST_ROOM, quality="H") + "\r\n" +
                                                 favourite(HARBOUR) + "\r\n").encode("cp1252")


# --- the episode check ----------------------------------------------------------------

NO_FAVOURITES = [
    ("no favourites file", None),
    ("a favourites file of empty lines", b"\r\n\r\n"),
]


@pytest.mark.parametrize("content", [c[1] for c in NO_FAVOURITES], ids=[c[0] for c in NO_FAVOURITES])
def test_without_favourites_the_check_dialog_closes_by_itself(app, content):
    set_up_site(app)
    if content is not None:
        app.file(FAVOURITES).write_bytes(content)
    app.watch_windows()
    proc = app.start()
    app.wait_window()
    app.wait_show_list()
    over = wait_check_over(app)
    nothing_new = app.close_download_window()
    titles = titles_seen(app)
    texts = read_window_texts(app)
    enabled = buttons_enabled(app)
    assert app.close_and_wait(proc) == 0

    # The check went through: no message, and the download window follows.
    assert over, titles
    assert titles == [TITLE, CHECK, DOWNLOADS]
    assert nothing_new == BUILT_IN["NoNewEp"]
    assert texts == window_texts(BUILT_IN, shows=4)
    assert texts[STATUS_LINE] == "4 Kestrix Shows available:"
    assert enabled == [False, False]
    assert episode_requests(app) == []


def test_the_check_dialog_names_each_favourite_while_its_page_is_read(app):
    set_up_site(app, favourites=[favourite(HARBOUR, "S00E00"), favourite(QUIET, quality="H")])
    app.hold(page_of(QUIET))
    app.watch_windows()
    proc = app.start()
    app.wait_window()
    app.wait_window(CHECK)
    assert app.wait_requested(page_of(QUIET)), app.requested()
    during = {"counter": app.wait_text(CHECK_COUNTER_LABEL, "(2/2)", title=CHECK),
              "show": app.text(CURRENT_SHOW_LABEL, title=CHECK),
              "cancel": app.text(CANCEL_CHECK_BUTTON, title=CHECK),
              "load bar": app.state(LOAD_BAR, title=CHECK)["visible"],
              "owner": app.window(CHECK)["owner"],
              "main window enabled": app.window(TITLE)["enabled"]}
    app.screenshot("episode-check")
    app.release()
    gone = app.wait_gone(CHECK)
    # The counts do not change before the download window has ended.
    after = {"texts": read_window_texts(app), "buttons": buttons_enabled(app)}
    app.screenshot("after-check")
    # Harbour Lights was never watched: its episodes are offered.
    offer = app.message_box("Epiloom", timeout_ms=15000)
    app.answer("no")
    app.wait_gone(DOWNLOADS)
    app.screenshot("idle-after-hand-off")
    titles = titles_seen(app)
    assert app.close_and_wait(proc) == 0

    assert during == {"counter": "(2/2)", "show": "Quiet Fields", "cancel": BUILT_IN["Cancel"], "load bar": True,
                      "owner": TITLE, "main window enabled": False}
    assert gone
    assert after == {"texts": window_texts(BUILT_IN, shows=4, favourites=2, unwatched=1), "buttons": [True, True]}
    assert offer is not None and offer["buttons"] == ["yes", "no"]
    assert titles == [TITLE, CHECK, DOWNLOADS, "Epiloom"]
    assert pages_read(app) == sorted([page_of(HARBOUR), page_of(QUIET)])


def answers_500_with_episodes_in_its_body(app, path):
    app.route(path, status=500, body=episode_page(HARBOUR[1], EPISODES))


def never_answers(app, path):
    app.route(path, silent=True, hold_s=8)


def answers_an_empty_page(app, path):
    app.serve(path, b"")


def answers_a_page_without_episode_links(app, path):
    app.serve(path, '<html><body><h1>Harbour Lights</h1>\r\n<p>No episode yet. See the <a href="/showlist/">'
                    'show list</a> or <a href="/shows/23/quiet-fields/">a similar show</a>.</p></body></html>\r\n')


# How the first favourite's page answers; whether the check fails there with
# one error box (and reads no further page) or goes on to the next favourite.
FIRST_PAGES = [
    ("500 with episode links in its body", answers_500_with_episodes_in_its_body, True),
    ("no answer within the time-out", never_answers, True),
    ("an empty page", answers_an_empty_page, True),
    ("a page without an episode link", answers_a_page_without_episode_links, False),
]


@pytest.mark.parametrize("answer, fails", [c[1:] for c in FIRST_PAGES], ids=[c[0] for c in FIRST_PAGES])
def test_the_first_favourites_page_decides_whether_the_check_goes_on(app, answer, fails):
    set_up_site(app, favourites=[favourite(HARBOUR), favourite(QUIET)])
    answer(app, page_of(HARBOUR))
    app.watch_windows()
    proc = app.start()
    app.wait_window()
    problem, asked_while_shown = None, None
    if fails:
        problem = app.message_box("Epiloom", timeout_ms=15000)
        asked_while_shown = episode_requests(app)
        app.screenshot("problem")
        app.answer("ok")
    over = wait_check_over(app)
    if fails:
        time.sleep(1.0)  # a window opened after a failed check would be up by now
    else:
        app.close_download_window()
    titles = titles_seen(app)
    still_shown = app.message_box("Epiloom", timeout_ms=0)
    enabled = app.window(TITLE)["enabled"]
    assert app.close_and_wait(proc) == 0

    assert over, titles
    assert still_shown is None
    assert enabled
    if fails:
        assert problem == box(PROBLEM, CHECK, "error")
        assert read_ahead_at_most(asked_while_shown, page_of(HARBOUR), [page_of(QUIET)]), asked_while_shown
        assert titles == [TITLE, CHECK, "Epiloom"]
        assert read_ahead_at_most(episode_requests(app), page_of(HARBOUR), [page_of(QUIET)]), app.requested()
    else:
        assert titles == [TITLE, CHECK, DOWNLOADS]
        assert pages_read(app) == sorted([page_of(HARBOUR), page_of(QUIET)])


def test_cancel_closes_the_check_at_once_and_keeps_nothing_of_it(app):
    set_up_site(app, favourites=[favourite(HARBOUR), favourite(QUIET)])
    app.hold(page_of(HARBOUR))
    app.watch_windows()
    proc = app.start()
    app.wait_window()
    app.wait_window(CHECK)
    assert app.wait_requested(page_of(HARBOUR)), app.requested()
    counter = app.wait_text(CHECK_COUNTER_LABEL, "(1/2)", title=CHECK)
    seen_before = len(app.seen_windows())
    app.ask("click", CHECK, CANCEL_CHECK_BUTTON)
    # The page is held until released below, so a dialog gone before that
    # did not wait for its download (the wait only allows for a loaded machine).
    gone_at_once = app.wait_gone(CHECK, 10000)
    # The page comes after all; the abandoned check must do nothing with it,
    # not even after the pause that follows a failed download.
    app.release()
    time.sleep(4)
    after_cancel = {"windows": app.seen_windows()[seen_before:], "box": app.message_box("Epiloom", timeout_ms=0),
                    "main window enabled": app.window(TITLE)["enabled"]}
    pages_after_cancel = episode_requests(app)

    # Nothing of the cancelled check was kept: a new one reads both pages.
    app.click(DOWNLOAD_BUTTON)
    again = wait_check_over(app)
    app.close_download_window()
    assert app.close_and_wait(proc) == 0

    assert counter == "(1/2)"
    assert gone_at_once, "the dialog stayed after its Cancel button"
    assert after_cancel == {"windows": [], "box": None, "main window enabled": True}
    assert read_ahead_at_most(pages_after_cancel, page_of(HARBOUR), [page_of(QUIET)]), pages_after_cancel
    assert again
    # The second check reads both pages again, a page read ahead by the
    # cancelled one included.
    assert episode_requests(app)[len(pages_after_cancel):] in ([page_of(HARBOUR), page_of(QUIET)],
                                                               [page_of(QUIET), page_of(HARBOUR)])


def test_a_second_check_within_ten_minutes_reads_no_page(app):
    set_up_site(app, favourites=[favourite(HARBOUR), favourite(QUIET, quality="H")])
    app.watch_windows()
    proc = app.start()
    app.wait_window()
    first = wait_check_over(app)
    app.close_download_window()
    read_first = pages_read(app)

    app.watch_windows()
    code, result = app.click(DOWNLOAD_BUTTON)
    second = wait_check_over(app)
    app.close_download_window()
    titles = titles_seen(app)
    assert app.close_and_wait(proc) == 0

    assert first
    assert read_first == sorted([page_of(HARBOUR), page_of(QUIET)])
    assert (code, result) == (0, "ok")
    assert second, titles
    assert titles == [CHECK, DOWNLOADS]
    assert pages_read(app) == read_first


# --- the banner and the about line ------------------------------------------------------

def by_notifications(app):
    """What the static controls tell their parent: STN_CLICKED, STN_DBLCLK."""
    app.ask("click", TITLE, SITE_BANNER)
    app.ask("dblclick", TITLE, SITE_BANNER)
    assert wait_until(app.opened, 10), "the double click opened nothing"
    app.ask("click", TITLE, ABOUT_LINE)


def by_mouse(app):
    """Button presses through the input queue, at the controls' middles."""
    app.ask("real-click", TITLE, SITE_BANNER, "left")
    time.sleep(1.0)  # longer than the double-click time: the next press starts afresh
    app.ask("real-click", TITLE, SITE_BANNER, "double")
    assert wait_until(app.opened, 10), "the double click opened nothing"
    time.sleep(1.0)
    app.ask("real-click", TITLE, ABOUT_LINE, "left")


@pytest.mark.parametrize("gestures", [by_notifications, by_mouse], ids=["notifications", "mouse"])
def test_a_double_click_on_the_banner_opens_the_site_and_a_click_on_the_about_line_the_home_page(app, gestures):
    app.stop_site()  # the window settles at once, with nothing to check
    proc = app.start()
    app.wait_window()
    shown, state = app.wait_state(REFRESH_BUTTON, "visible", 15000)
    assert shown, state
    # A single click on the banner, a double click, a click on the about line.
    gestures(app)
    assert wait_until(lambda: len(app.opened()) >= 2, 10), app.opened()
    time.sleep(1.0)
    opened = app.opened()
    assert app.close_and_wait(proc) == 0

    assert opened == [SITE_URL, HOME_URL]


# --- the end of the session -------------------------------------------------------------

SESSION_FAVOURITES = ["Lost|/shows/40/lost>S02E03L", favourite(LOST_ROOM, quality="H"), favourite(HARBOUR)]
SESSION_BLACKLIST = b"\r\nQuiet Fields\r\n\r\nNowhere Man\r\n"
FR = 1  # menu position: EN, FR


def at_idle_after_a_language_switch(app):
    assert wait_check_over(app)
    app.close_download_window()
    app.pick_from_menu(LANGUAGE_ICON, FR)
    return "FR"


def while_the_check_reads_a_page(app):
    app.wait_window(CHECK)
    assert app.wait_requested(page_of(HARBOUR)), app.requested()
    return "EN"


SESSION_ENDS = [
    ("at idle after a language switch", at_idle_after_a_language_switch, False),
    ("while the check reads a page", while_the_check_reads_a_page, True),
]


@pytest.mark.parametrize("reach, hold", [c[1:] for c in SESSION_ENDS], ids=[c[0] for c in SESSION_ENDS])
def test_the_end_of_the_session_writes_the_lists_and_the_language_choice(app, reach, hold):
    set_up_site(app, favourites=SESSION_FAVOURITES)
    app.file(BLACKLIST).write_bytes(SESSION_BLACKLIST)
    app.file("Epiloom.lang.FR").write_bytes(language_file(FRENCH))
    if hold:
        app.hold(page_of(HARBOUR))
    app.watch_windows()
    proc = app.start()
    app.wait_window()
    app.answer("ok", caption=MISSING, timeout_ms=15000)
    language = reach(app)
    before = {"favourites": app.file(FAVOURITES).read_bytes(), "blacklist": app.file(BLACKLIST).read_bytes(),
              "choice": app.file(CHOICE_FILE).exists()}
    answer = app.end_session()
    app.kill(proc)

    # Nothing is written before the end.
    assert before == {"favourites": "".join(line + "\r\n" for line in SESSION_FAVOURITES).encode("cp1252"),
                      "blacklist": SESSION_BLACKLIST, "choice": False}
    assert answer != 0, "the window refused the end of the session"
    assert app.file(FAVOURITES).read_bytes() == (favourite(LOST_ROOM, quality="H") + "\r\n" +
                                                 favourite(HARBOUR) + "\r\n").encode("cp1252")
    assert app.file(BLACKLIST).read_bytes() == b"Quiet Fields\r\nNowhere Man\r\n"
    assert read_choice(app) == {"epiloom": {"lang": language}}
