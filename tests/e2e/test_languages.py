"""The language choice: read from Epiloom-LANG.ini at start, switched from
the language icon's menu (every text of the main window at once, whatever
the window is doing), and written back when the program ends."""

import pytest

from english_texts import BUILT_IN
from harness import LANGUAGE_ICON, REFRESH_BUTTON, STATUS_LINE, show_list_page
from translations import (CHOICE_FILE, ENGLISH_FILE, FRENCH, in_language, language_file, read_choice,
                          read_window_texts, window_texts)

# Menu positions: the menu lists the language files sorted by name.
EN, FR = 0, 1

# The English file edited by the user, so that its texts can be told from the
# built-in ones.
EDITED_ENGLISH = {"InternetError": "Kestrix cannot be reached", "Download1": "Fetch the"}


def write_choice(app, content):
    app.file(CHOICE_FILE).write_bytes(content if isinstance(content, bytes) else
                                      b"[Epiloom]\r\nLang=" + content.encode("ascii") + b"\r\n")


def start_until_no_connection(app):
    """Starts the program with nothing on the site, so that it settles with
    an empty list on the no-connection text; returns the process."""
    proc = app.start()
    app.wait_window()
    shown, state = app.wait_state(REFRESH_BUTTON, "visible", 15000)
    assert shown, state
    return proc


def test_without_a_choice_file_english_is_used_and_written_at_close(app):
    proc = start_until_no_connection(app)
    texts = read_window_texts(app)
    checks = app.menu_checks(LANGUAGE_ICON, screenshot="language-menu")
    assert app.close_and_wait(proc) == 0

    assert checks == [True]
    assert texts == window_texts(ENGLISH_FILE, phase="InternetError")
    assert read_choice(app) == {"epiloom": {"lang": "EN"}}


# The content of Epiloom-LANG.ini, the texts it gives, the check marks of
# the menu (EN, FR) and the value written back at close. Menu items are
# compared with the choice exactly.
CHOICES = [
    ("no file", None, in_language(EDITED_ENGLISH), [True, False], "EN"),
    ("no key", b"[Epiloom]\r\nLanguage=FR\r\n", in_language(EDITED_ENGLISH), [True, False], "EN"),
    ("upper case", "FR", in_language(FRENCH), [False, True], "FR"),
    ("lower case", "fr", in_language(FRENCH), [False, False], "fr"),
    ("blanks around", b"[Epiloom]\r\nLang =   FR  \r\n", in_language(FRENCH), [False, True], "FR"),
    ("section and key in other cases", b"[EPILOOM]\r\nlang=FR\r\n", in_language(FRENCH), [False, True], "FR"),
    ("three letters", "FRA", in_language(FRENCH), [False, True], "FR"),
    ("one letter", "F", BUILT_IN, [False, False], "F"),
    ("no file for the code", "DE", BUILT_IN, [False, False], "DE"),
]


@pytest.mark.parametrize("choice, texts, checks, saved", [c[1:] for c in CHOICES], ids=[c[0] for c in CHOICES])
def test_the_choice_file_picks_the_language_file_and_is_written_back(app, choice, texts, checks, saved):
    app.file("Epiloom.lang.EN").write_bytes(language_file(EDITED_ENGLISH))
    app.file("Epiloom.lang.FR").write_bytes(language_file(FRENCH))
    if choice is not None:
        write_choice(app, choice)

    proc = start_until_no_connection(app)
    shown = read_window_texts(app)
    checked = app.menu_checks(LANGUAGE_ICON)
    assert app.close_and_wait(proc) == 0

    assert shown == window_texts(texts, phase="InternetError")
    assert checked == checks
    assert read_choice(app)["epiloom"]["lang"] == saved


FAVOURITES = b"Second|/shows/2/second>S00E00L\r\nThird|/shows/3/third>S01E01H\r\n"
PAGE = [("/shows/1/first/", "First"), ("/shows/2/second/", "Second"), ("/shows/3/third/", "Third"),
        ("/shows/4/fourth/", "Fourth")]


def checking_version(app):
    app.hold_update_check()
    proc = app.start()
    app.wait_window()
    return proc, {"phase": "CheckNewVersion"}


def no_connection(app):
    app.stop_site()
    return start_until_no_connection(app), {"phase": "InternetError"}


def site_unavailable(app):
    app.serve("/showlist/", "<html><body>Maintenance</body></html>")
    return start_until_no_connection(app), {"phase": "Unavailable"}


def list_loaded(app):
    # Nothing new for the favourites: the download window that follows the
    # episode check only counts down, and is closed.
    app.serve_shows(PAGE, {"Third": [("s01e01", "350.0 MB")]})
    app.file("Epiloom.favorite").write_bytes(FAVOURITES)
    app.file("Epiloom.blacklist").write_bytes(b"Fourth\r\n")
    proc = app.start()
    app.wait_window()
    app.wait_show_list()
    app.close_download_window()
    return proc, {"shows": 3, "favourites": 2, "unwatched": 1, "blacklisted": 1}


PHASES = [
    ("checking the version", checking_version),
    ("no connection", no_connection),
    ("site unavailable", site_unavailable),
    ("list loaded", list_loaded),
]


@pytest.mark.parametrize("reach", [c[1] for c in PHASES], ids=[c[0] for c in PHASES])
def test_picking_another_language_relabels_the_window_at_once(app, reach):
    app.file("Epiloom.lang.FR").write_bytes(language_file(FRENCH))
    proc, state = reach(app)
    before = read_window_texts(app)
    app.pick_from_menu(LANGUAGE_ICON, FR)
    after = read_window_texts(app)
    app.screenshot("french")
    checks = app.menu_checks(LANGUAGE_ICON)
    assert app.close_and_wait(proc) == 0

    assert before == window_texts(ENGLISH_FILE, **state)
    assert after == window_texts(in_language(FRENCH), **state)
    assert checks == [False, True]
    assert read_choice(app) == {"epiloom": {"lang": "FR"}}


def test_the_phases_after_a_switch_speak_the_new_language(app):
    app.file("Epiloom.lang.FR").write_bytes(language_file(FRENCH))
    proc, _ = checking_version(app)
    app.pick_from_menu(LANGUAGE_ICON, FR)
    failed, _ = app.wait_state(REFRESH_BUTTON, "visible", 15000)
    status = app.text(STATUS_LINE)
    assert app.close_and_wait(proc) == 0
    assert failed
    assert status == FRENCH["InternetError"]


def test_the_chosen_language_is_used_at_the_next_start(app):
    app.file("Epiloom.lang.FR").write_bytes(language_file(FRENCH))
    proc = start_until_no_connection(app)
    app.pick_from_menu(LANGUAGE_ICON, FR)
    assert app.close_and_wait(proc) == 0
    assert read_choice(app) == {"epiloom": {"lang": "FR"}}

    app.hold_update_check()
    proc = app.start()
    app.wait_window()
    shown = read_window_texts(app)
    assert app.close_and_wait(proc) == 0
    assert shown == window_texts(in_language(FRENCH), phase="CheckNewVersion")
    assert read_choice(app) == {"epiloom": {"lang": "FR"}}


# Texts a language file gets while the program runs: only a language that is
# loaded again shows them.
REVISED_ENGLISH = {"InternetError": "Kestrix is out of reach (revised)", "Download1": "Download the"}
REVISED_FRENCH = {**FRENCH, "InternetError": "Kestrix est injoignable (version revue)", "Download1": "Prendre"}

# The choice file, the language current at start, the file revised while
# the program runs, the item picked, whether that reloads the language, and
# the menu's check marks (EN, FR) afterwards.
PICKS = [
    ("English current, English picked", None, ENGLISH_FILE, "EN", REVISED_ENGLISH, EN, False, [True, False]),
    ("French current, French picked", "FR", in_language(FRENCH), "FR", REVISED_FRENCH, FR, False, [False, True]),
    # Menu items are compared with the choice exactly: "fr" is not the item "FR".
    ("French chosen in lower case, French picked", "fr", in_language(FRENCH), "FR", REVISED_FRENCH, FR, True,
     [False, True]),
]


@pytest.mark.parametrize("choice, at_start, revised_code, revised, pick, reloads, checks",
                         [c[1:] for c in PICKS], ids=[c[0] for c in PICKS])
def test_picking_the_current_language_reloads_nothing(app, choice, at_start, revised_code, revised, pick,
                                                      reloads, checks):
    app.file("Epiloom.lang.FR").write_bytes(language_file(FRENCH))
    if choice is not None:
        write_choice(app, choice)
    proc = start_until_no_connection(app)
    first = read_window_texts(app)
    app.file("Epiloom.lang." + revised_code).write_bytes(language_file(revised))
    app.pick_from_menu(LANGUAGE_ICON, pick)
    after_pick = read_window_texts(app)
    checks_after_pick = app.menu_checks(LANGUAGE_ICON)
    # The other language, picked next, shows that the menu does its work.
    other = EN if pick == FR else FR
    app.pick_from_menu(LANGUAGE_ICON, other)
    after_other = read_window_texts(app)
    assert app.close_and_wait(proc) == 0

    assert first == window_texts(at_start, phase="InternetError")
    assert after_pick == window_texts(in_language(revised) if reloads else at_start, phase="InternetError")
    assert checks_after_pick == checks
    assert after_other == window_texts(ENGLISH_FILE if other == EN else in_language(FRENCH), phase="InternetError")
    assert read_choice(app) == {"epiloom": {"lang": "EN" if other == EN else "FR"}}
