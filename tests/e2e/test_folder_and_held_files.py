"""The program's folder as Windows users meet it: a folder the program may
not write (told once at start, the run goes on, nothing written), a list file
another program holds open during the end-of-run save (saved once it is let
go within the retries, else named in a box with the old file left whole),
and translations saved with a UTF-8 byte order mark (their texts shown, and
stored without the mark when downloaded)."""

import time

import pytest

from english_texts import BUILT_IN
from harness import LANGUAGE_ICON, TITLE, WINDOWS_FOLDER, episode_page, episode_page_path, show_list_page, wait_until
from translations import CHOICE_FILE, FRENCH, in_language, language_file, read_window_texts, window_texts

FAVOURITES = "Epiloom.favorite"
BLACKLIST = "Epiloom.blacklist"
HARBOUR = ("/shows/21/harbour-lights/", "Harbour Lights")
EPISODES = [("s02e01", "350.5 MB"), ("s01e10", "349.0 MB")]
# Watched the newest episode: the download window finds nothing new.
FAVOURITE_LINE = "Harbour Lights|/shows/21/harbour-lights>S02E01L"
# As a user's editor may leave it: a blank line, which a save drops.
OLD_FAVOURITES = (FAVOURITE_LINE + "\r\n\r\n").encode("cp1252")
NEW_FAVOURITES = (FAVOURITE_LINE + "\r\n").encode("cp1252")
BOM = b"\xef\xbb\xbf"


def box(text, icon, owner=TITLE):
    return {"text": text, "buttons": ["ok"], "icon": icon, "owner": owner}


def set_up(app):
    app.serve("/showlist/", show_list_page([HARBOUR]))
    app.serve(episode_page_path(HARBOUR[0]), episode_page(HARBOUR[1], EPISODES))
    app.file(FAVOURITES).write_bytes(OLD_FAVOURITES)


def run_to_idle(app):
    """Starts the program and waits until its cycle is over: the list read,
    the episode check done, the download window (nothing new) closed."""
    proc = app.start()
    app.wait_show_list()
    app.close_download_window()
    return proc


def folder_contents(app):
    return {name: app.file(name).read_bytes() for name in app.files()}


def epiloom_boxes(app):
    """The message boxes (caption "Epiloom") seen since watch_windows()."""
    return [w for w in app.seen_windows() if w["title"] == "Epiloom" and w["class"] == "#32770"]


# --- a folder the program cannot write ----------------------------------------------

def test_a_folder_it_cannot_write_is_named_at_start_and_the_run_goes_on_writing_nothing(app):
    set_up(app)
    before = folder_contents(app)
    if not app.lock_folder():
        pytest.skip("this file system cannot make a folder unwritable for root (chattr +i failed)")
    app.watch_windows()
    proc = app.start()
    app.wait_window()
    notice = app.message_box(timeout_ms=10000)
    asked_while_told = list(app.requested())
    app.screenshot("folder-not-writable")
    app.answer("ok")
    app.wait_show_list()
    app.close_download_window()
    status = app.text(1004)
    code = app.close_and_wait(proc)
    boxes = epiloom_boxes(app)

    assert notice == box(BUILT_IN["ReadOnlyFolder1"] + "\n" + WINDOWS_FOLDER + "\n\n" + BUILT_IN["ReadOnlyFolder2"],
                         "warning")
    # The run goes on once the user has read it: the update check, the
    # show list, the episode check.
    assert asked_while_told == []
    assert app.requested()[0] == "/Epiloom/lastversion.dat"
    assert episode_page_path(HARBOUR[0]) in app.requested()
    assert status.startswith("1 ")
    # Told once; the end of the run tries no save and says nothing more.
    assert len(boxes) == 1
    assert code == 0
    assert folder_contents(app) == before


def test_an_unwritable_folder_fetches_no_translation(app):
    app.serve("/showlist/", show_list_page([HARBOUR]))
    app.serve("/Epiloom/languages.dat", "FR")
    app.serve("/Epiloom/Epiloom.lang.FR", language_file(FRENCH))
    if not app.lock_folder():
        pytest.skip("this file system cannot make a folder unwritable for root (chattr +i failed)")
    proc = app.start()
    app.wait_window()
    app.answer("ok", timeout_ms=10000)
    app.wait_show_list()
    app.close_download_window()
    assert app.close_and_wait(proc) == 0
    assert "/Epiloom/Epiloom.lang.FR" not in app.requested()
    assert app.files() == ["Epiloom.exe"]


# --- a list file another program holds -----------------------------------------------

def test_a_list_file_held_for_a_moment_at_the_end_is_saved_after_its_retries(app):
    set_up(app)
    proc = run_to_idle(app)
    app.watch_windows()
    app.ask("hold-file", WINDOWS_FOLDER + FAVOURITES)
    app.close_window()
    # The new favourites wait beside the held file while the move is tried
    # again; the other program lets go a moment later.
    temporary = app.file("~" + FAVOURITES + ".new")
    waited = wait_until(temporary.exists, 5, interval_s=0.01)
    time.sleep(0.3)
    app.ask("release-file", WINDOWS_FOLDER + FAVOURITES)
    code = app.wait_exit(proc)

    assert waited, "the save never waited beside the held file"
    assert code == 0
    assert app.file(FAVOURITES).read_bytes() == NEW_FAVOURITES
    assert app.file(BLACKLIST).read_bytes() == b"\r\n"
    assert app.file(CHOICE_FILE).exists()
    assert not temporary.exists()
    assert epiloom_boxes(app) == []


def test_a_list_file_held_through_the_end_is_named_and_left_whole(app):
    set_up(app)
    proc = run_to_idle(app)
    app.ask("hold-file", WINDOWS_FOLDER + FAVOURITES)
    app.close_window()
    problem = app.message_box(timeout_ms=15000)
    app.screenshot("not-saved")
    app.answer("ok")
    app.ask("release-file", WINDOWS_FOLDER + FAVOURITES)
    code = app.wait_exit(proc)

    assert problem == box(BUILT_IN["SaveProblem1"] + "\n" + WINDOWS_FOLDER + FAVOURITES + "\n\n" +
                          BUILT_IN["SaveProblem2"], "error")
    assert code == 0
    assert app.file(FAVOURITES).read_bytes() == OLD_FAVOURITES
    # The files before and after it are written all the same.
    assert app.file(BLACKLIST).read_bytes() == b"\r\n"
    assert app.file(CHOICE_FILE).exists()
    assert not app.file("~" + FAVOURITES + ".new").exists()


# --- translations with a byte order mark ---------------------------------------------

def test_a_translation_saved_with_a_byte_order_mark_shows_its_texts(app):
    app.file("Epiloom.lang.FR").write_bytes(BOM + language_file(FRENCH))
    app.file(CHOICE_FILE).write_bytes(b"[Epiloom]\r\nLang=FR\r\n")
    app.hold_update_check()
    proc = app.start()
    app.wait_window()
    shown = read_window_texts(app)
    app.screenshot("bom-translation")
    assert app.close_and_wait(proc) == 0
    assert shown == window_texts(in_language(FRENCH), phase="CheckNewVersion")


def test_a_downloaded_translation_is_stored_without_its_byte_order_mark(app):
    app.serve("/showlist/", show_list_page([HARBOUR]))
    app.serve("/Epiloom/languages.dat", "EN;FR")
    app.serve("/Epiloom/Epiloom.lang.FR", BOM + language_file(FRENCH))
    proc = app.start()
    app.wait_window()
    app.answer("ok", timeout_ms=10000)  # the new-translations notice
    app.wait_show_list()
    app.close_download_window()
    app.pick_from_menu(LANGUAGE_ICON, 1)
    french = read_window_texts(app)
    assert app.close_and_wait(proc) == 0
    assert app.file("Epiloom.lang.FR").read_bytes() == language_file(FRENCH)
    assert french == window_texts(in_language(FRENCH), shows=1)
