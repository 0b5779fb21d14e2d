"""The update check at start: a newer version offered and its updater
checked, stored and started; new translations installed and announced before
the show list is read; and a broken or hostile update server costing nothing
but its time-out."""

import hashlib

import pytest

from english_texts import BUILT_IN, default_english_file
from harness import LANGUAGE_ICON, TITLE, UPDATE_PROGRESS_BAR, WINDOWS_FOLDER, show_list_page, wait_until
from translations import (ENGLISH_FILE, FRENCH, GERMAN, in_language, language_file, read_choice, read_window_texts,
                          window_texts)

LAST_VERSION = "/Epiloom/lastversion.dat"
LANGUAGES = "/Epiloom/languages.dat"
UPDATER = "/Epiloom/Epiloom-updater.x"
SHOW_LIST = "/showlist/"
UPDATER_FILE = "Epiloomupdt.exe"

PAGE = [("/shows/1/first/", "First"), ("/shows/2/second/", "Second"), ("/shows/3/third/", "Third")]
QUESTION = BUILT_IN["NewVersion1"] + "\n" + BUILT_IN["NewVersion2"]
NOTICE = (ENGLISH_FILE["LabelNewLng1"] + "\n\n" + ENGLISH_FILE["LabelNewLng2"] + " " + WINDOWS_FOLDER + "\n\n" +
          ENGLISH_FILE["LabelNewLng3"])


def translation_path(code):
    return "/Epiloom/Epiloom.lang." + code


def wait_listed(app, texts=BUILT_IN):
    """Waits for the list, then for the download window that follows the
    episode check (no favourites: nothing new), and closes it."""
    listed = app.wait_show_list(texts["Available"])
    app.close_download_window()
    return listed


def box(text, buttons, icon):
    return {"text": text, "buttons": buttons, "icon": icon, "owner": TITLE}


# lastversion.dat, and whether it offers a new version to this V1.6: labels
# are compared byte by byte, and only what comes before the first ";" counts.
VERSIONS = [
    ("next minor", b"V1.7;", True),
    ("next major", b"V2.0;", True),
    ("own label and a line break, no semicolon", b"V1.6\r\n", True),
    ("own label", b"V1.6;", False),
    ("two-digit minor", b"V1.10;", False),
    ("older", b"V1.5;", False),
    ("newer label after the semicolon", b"V1.6;V2.0;", False),
]


@pytest.mark.parametrize("label, offered", [c[1:] for c in VERSIONS], ids=[c[0] for c in VERSIONS])
def test_a_newer_version_is_offered_and_declining_goes_on_to_the_show_list(app, updater_bytes, label, offered):
    app.serve(LAST_VERSION, label)
    app.serve(UPDATER, updater_bytes)
    app.serve(LANGUAGES, "EN")
    app.serve(SHOW_LIST, show_list_page(PAGE))
    proc = app.start()
    app.wait_window()
    if offered:
        question = app.message_box(timeout_ms=10000)
        asked_while_open = app.requested()
        app.answer("no")
    # An offer nobody answers would keep the list from loading.
    wait_listed(app)
    windows = [w["title"] for w in app.windows()]
    assert app.close_and_wait(proc) == 0

    if offered:
        assert question == box(QUESTION, ["yes", "no"], "question")
        assert asked_while_open == [LAST_VERSION]
    assert windows == [TITLE]
    assert app.requested() == [LAST_VERSION, LANGUAGES, SHOW_LIST]
    assert not app.file(UPDATER_FILE).exists()


# List files a rewrite would change (empty lines, a CR alone, a line feed
# alone), to show they are left as they were.
FAVOURITES_BYTES = b"\r\nFirst|/shows/1/first>S01E01L\n\r\n\r\nSecond|/shows/2/second>S00E00H\r"
BLACKLIST_BYTES = b"Third\r\r\n\r\n"


def test_an_accepted_update_stores_and_starts_the_updater_and_ends_the_program(app, updater_bytes):
    app.serve(LAST_VERSION, "V1.7;")
    app.serve(UPDATER, updater_bytes)
    app.route(UPDATER, delay_ms=700)  # time to see the progress bar
    app.serve(LANGUAGES, "FR")
    app.serve(translation_path("FR"), language_file(FRENCH))
    app.serve(SHOW_LIST, show_list_page(PAGE))
    app.file("Epiloom.favorite").write_bytes(FAVOURITES_BYTES)
    app.file("Epiloom.blacklist").write_bytes(BLACKLIST_BYTES)
    proc = app.start()
    app.wait_window()
    app.answer("yes", timeout_ms=10000)
    downloading, bar = app.wait_state(UPDATE_PROGRESS_BAR, "visible", 2000)
    code = app.wait_exit(proc)
    recorded = app.file("recorded.txt")
    started = wait_until(recorded.exists, 10)

    assert downloading, bar
    assert code == 0
    assert app.ask("gone", TITLE, 5000) == "gone"
    assert app.file(UPDATER_FILE).read_bytes() == updater_bytes
    assert started, "the updater was not started"
    lines = recorded.read_bytes().decode("cp1252").splitlines()
    assert [line.strip().strip('"').lower() for line in lines] == [(WINDOWS_FOLDER + UPDATER_FILE).lower()]
    assert app.file("Epiloom.favorite").read_bytes() == FAVOURITES_BYTES
    assert app.file("Epiloom.blacklist").read_bytes() == BLACKLIST_BYTES
    assert read_choice(app) == {"epiloom": {"lang": "EN"}}
    assert app.requested() == [LAST_VERSION, UPDATER]
    assert not app.file("Epiloom.lang.FR").exists()


def flip_last_byte(data):
    return data[:-1] + bytes([data[-1] ^ 0x01])


# Updaters that must not be stored: the site's answer for the updater file.
WRONG_UPDATERS = [
    ("one bit changed", lambda good: {"body_hex": flip_last_byte(good).hex()}),
    ("cut short", lambda good: {"body_hex": good[:len(good) // 2].hex()}),
    ("missing", lambda good: {"status": 404, "body": "<html>Not Found</html>"}),
    ("server error", lambda good: {"status": 500, "body_hex": good.hex()}),
]


@pytest.mark.parametrize("answer", [c[1] for c in WRONG_UPDATERS], ids=[c[0] for c in WRONG_UPDATERS])
def test_an_updater_that_is_not_the_expected_one_is_refused_and_the_run_goes_on(app, updater_bytes, answer):
    app.serve(LAST_VERSION, "V1.7;")
    app.route(UPDATER, **answer(updater_bytes))
    app.serve(SHOW_LIST, show_list_page(PAGE))
    # A leftover of an earlier update goes all the same.
    app.file(UPDATER_FILE).write_bytes(updater_bytes)
    proc = app.start()
    app.wait_window()
    app.answer("yes", timeout_ms=10000)
    problem = app.message_box(timeout_ms=10000)
    app.answer("ok")
    wait_listed(app)
    assert app.close_and_wait(proc) == 0

    assert problem == box(BUILT_IN["Problem"], ["ok"], "error")
    assert not app.file(UPDATER_FILE).exists()
    assert not app.file("recorded.txt").exists()
    assert app.requested() == [LAST_VERSION, UPDATER, LANGUAGES, SHOW_LIST]


def test_a_leftover_updater_is_deleted_at_start(app, updater_bytes):
    app.serve(LAST_VERSION, "V1.6;")
    app.serve(SHOW_LIST, show_list_page(PAGE))
    app.file(UPDATER_FILE).write_bytes(updater_bytes)
    proc = app.start()
    app.wait_window()
    wait_listed(app)
    assert app.close_and_wait(proc) == 0
    assert not app.file(UPDATER_FILE).exists()


def test_new_translations_are_installed_and_announced_before_the_show_list(app):
    app.serve(LANGUAGES, "EN;FR;DE")
    served = {"EN": language_file({"Populate": "from the server"}), "FR": language_file(FRENCH),
              "DE": language_file(GERMAN)}
    for code, content in served.items():
        app.serve(translation_path(code), content)
    app.serve(SHOW_LIST, show_list_page(PAGE))
    proc = app.start()
    app.wait_window()
    notice = app.message_box(timeout_ms=10000)
    asked_before_notice = app.requested()
    app.screenshot("notice")
    app.answer("ok")
    wait_listed(app)
    checks = app.menu_checks(LANGUAGE_ICON)
    app.pick_from_menu(LANGUAGE_ICON, 2)
    german = read_window_texts(app)
    assert app.close_and_wait(proc) == 0

    assert notice == box(NOTICE, ["ok"], "information")
    assert asked_before_notice == [LAST_VERSION, LANGUAGES, translation_path("FR"), translation_path("DE")]
    assert app.requested()[len(asked_before_notice):] == [SHOW_LIST]
    assert app.file("Epiloom.lang.FR").read_bytes() == served["FR"]
    assert app.file("Epiloom.lang.DE").read_bytes() == served["DE"]
    assert app.file("Epiloom.lang.EN").read_bytes() == default_english_file()
    # EN, then the two new languages, unchecked, in the order they came.
    assert checks == [True, False, False]
    assert german == window_texts(in_language(GERMAN), shows=3)

    # The next start finds them all present: nothing is fetched, nothing told.
    asked_before = len(app.requested())
    proc = app.start()
    app.wait_window()
    wait_listed(app, in_language(GERMAN))
    windows = [w["title"] for w in app.windows()]
    assert app.close_and_wait(proc) == 0
    assert windows == [TITLE]
    assert app.requested()[asked_before:] == [LAST_VERSION, LANGUAGES, SHOW_LIST]


def test_declining_the_new_version_still_installs_new_translations(app):
    app.serve(LAST_VERSION, "V1.7;")
    app.serve(LANGUAGES, "FR;")
    app.serve(translation_path("FR"), language_file(FRENCH))
    app.serve(SHOW_LIST, show_list_page(PAGE))
    proc = app.start()
    app.wait_window()
    app.answer("no", timeout_ms=10000)
    notice = app.message_box(timeout_ms=10000)
    app.answer("ok")
    wait_listed(app)
    assert app.close_and_wait(proc) == 0

    assert notice == box(NOTICE, ["ok"], "information")
    assert app.file("Epiloom.lang.FR").read_bytes() == language_file(FRENCH)
    assert app.requested() == [LAST_VERSION, LANGUAGES, translation_path("FR"), SHOW_LIST]


def test_a_downloaded_translation_of_the_chosen_language_is_used_from_the_next_start(app):
    app.file("Epiloom-LANG.ini").write_bytes(b"[Epiloom]\r\nLang=FR\r\n")
    app.serve(LANGUAGES, "FR")
    app.serve(translation_path("FR"), language_file(FRENCH))
    app.serve(SHOW_LIST, show_list_page(PAGE))
    proc = app.start()
    app.wait_window()
    app.answer("ok", timeout_ms=10000)
    wait_listed(app)
    checks = app.menu_checks(LANGUAGE_ICON)
    # The new item's text is the current choice: picking it loads nothing.
    app.pick_from_menu(LANGUAGE_ICON, 1)
    after_pick = read_window_texts(app)
    assert app.close_and_wait(proc) == 0

    assert checks == [False, False]
    assert after_pick == window_texts(BUILT_IN, shows=3)
    assert read_choice(app) == {"epiloom": {"lang": "FR"}}

    proc = app.start()
    app.wait_window()
    wait_listed(app, in_language(FRENCH))
    texts = read_window_texts(app)
    assert app.close_and_wait(proc) == 0
    assert texts == window_texts(in_language(FRENCH), shows=3)


def drive_c_files(app):
    """Every file and folder of the prefix's drive C: outside the Windows
    folder, with a digest of each file."""
    root = app.prefix / "drive_c"
    found = {}
    for path in sorted(root.rglob("*")):
        rel = path.relative_to(root)
        if rel.parts[0].lower() == "windows":
            continue
        found[str(rel)] = hashlib.sha256(path.read_bytes()).hexdigest() if path.is_file() else "folder"
    return found


# Fields no code can come from: they must lead to no download and no file.
HOSTILE_FIELDS = [b"..", b"/x", b"\\a", b"C:", b" E", b"\r\n", b"E\n", b"\tF", b"\xe91", b"\x00A", b"", b"."]


def test_a_hostile_translation_list_fetches_and_writes_nothing(app):
    app.serve(LANGUAGES, b";".join(HOSTILE_FIELDS))
    app.serve_shows(PAGE)  # episode pages with nothing new for the favourite
    # What any run writes, already there with the content it writes.
    app.file("Epiloom.lang.EN").write_bytes(default_english_file())
    app.file("Epiloom.favorite").write_bytes(b"First|/shows/1/first>S01E01L\r\n")
    app.file("Epiloom.blacklist").write_bytes(b"Third\r\n")
    app.file("Epiloom-LANG.ini").write_bytes(b"[Epiloom]\r\nLang=EN\r\n")
    before = drive_c_files(app)
    proc = app.start()
    app.wait_window()
    wait_listed(app)
    windows = [w["title"] for w in app.windows()]
    assert app.close_and_wait(proc) == 0
    after = drive_c_files(app)

    assert windows == [TITLE]
    assert [p for p in app.requested() if p.startswith("/Epiloom/Epiloom.lang")] == []
    assert after == before


# An update server that fails, each way: the show list is read after it all
# the same, and nobody is asked or told anything.
BROKEN_SERVERS = [
    ("files missing", {}),
    ("server errors with usable bodies", {LAST_VERSION: {"status": 500, "body": "V1.7;"},
                                          LANGUAGES: {"status": 500, "body": "FR"}}),
    ("never answers", {LAST_VERSION: {"silent": True}, LANGUAGES: {"silent": True}}),
    ("stalls in the middle of the body", {LAST_VERSION: {"stall": True, "body": "V1.7;"},
                                          LANGUAGES: {"stall": True, "body": "FR;"}}),
]


@pytest.mark.parametrize("routes", [c[1] for c in BROKEN_SERVERS], ids=[c[0] for c in BROKEN_SERVERS])
def test_a_broken_update_server_only_delays_the_show_list(app, routes):
    for path, behaviour in routes.items():
        app.route(path, **behaviour)
    app.serve(translation_path("FR"), language_file(FRENCH))
    app.serve(SHOW_LIST, show_list_page(PAGE))
    proc = app.start()
    app.wait_window()
    listed = wait_listed(app)
    windows = [w["title"] for w in app.windows()]
    assert app.close_and_wait(proc) == 0

    assert listed == "3 Kestrix Shows available:"
    assert windows == [TITLE]
    assert app.requested() == [LAST_VERSION, LANGUAGES, SHOW_LIST]
    assert not app.file("Epiloom.lang.FR").exists()
