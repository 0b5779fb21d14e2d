"""More of the two list dialogs: the settings pages of a single favourite, of
a never-watched favourite whose episodes are known, a code picked with the
arrows, and the blacklist dialog putting back a name that sorts last."""

from english_texts import BUILT_IN
from harness import BLACKLIST_LABEL, EPISODE_CHECK_TITLE, SHOW_LIST, episode_page, episode_page_path
from test_list_dialogs import (ALPHA, BLACKLIST, BLACKLIST_TITLE, BLACKLISTED, CANDIDATES, EPISODE, EPISODE_SPIN,
                               FAVOURITE, FAVOURITES, HARBOUR, HD, NEXT, PUT_BACK, QUIET, SEASON, SEASON_SPIN,
                               STANDARD, WATCHED, caption, favourite, list_names, move, open_settings, page,
                               page_state, set_up_site, start_and_settle, step)


def line_bytes(*lines):
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def test_a_single_favourite_has_one_page_that_ends_at_once_and_saves_it(app):
    set_up_site(app, [HARBOUR, QUIET], favourites=[favourite(QUIET, "S04E11", "L")])
    proc = start_and_settle(app)
    only = caption(1, 1, QUIET[1])
    open_settings(app, only)
    opened = page_state(app, only)
    step(app, only, SEASON_SPIN, True, SEASON, "S05")
    app.click(NEXT, only)
    closed = app.wait_gone(only, 5000)
    assert app.close_and_wait(proc) == 0

    assert opened == page(STANDARD, True, "S04E11", True, False, BUILT_IN["End"])
    assert closed
    assert app.file(FAVOURITES).read_bytes() == line_bytes(favourite(QUIET, "S05E11", "L"))


# The never-watched favourite's page lists its episodes out of order; the
# pages propose the highest code of them.
KNOWN = [("s02e03", "350.5 MB"), ("s02e05", "351.0 MB"), ("s01e10", "349.0 MB")]


def test_a_never_watched_favourite_proposes_its_newest_known_episode_and_keeps_s00e00(app):
    # An empty page fails the check at start, so nothing is handed over and
    # the favourite stays never watched; the check before the pages reads
    # the page with its episodes.
    set_up_site(app, [HARBOUR, QUIET], favourites=[favourite(QUIET, "S00E00", "H")])
    app.serve(episode_page_path(QUIET[0]), b"")
    proc = app.start()
    app.wait_window()
    problem = app.message_box("Epiloom", timeout_ms=15000)
    app.answer("ok")
    app.wait_gone(EPISODE_CHECK_TITLE, 15000)
    app.serve(episode_page_path(QUIET[0]), episode_page(QUIET[1], KNOWN))

    only = caption(1, 1, QUIET[1])
    open_settings(app, only)
    opened = page_state(app, only)
    app.screenshot("settings-never-watched")
    app.click(NEXT, only)
    closed = app.wait_gone(only, 5000)
    assert app.close_and_wait(proc) == 0

    assert problem is not None
    assert opened == page(HD, False, "S02E05", False, False, BUILT_IN["End"])
    assert closed
    assert app.file(FAVOURITES).read_bytes() == line_bytes(favourite(QUIET, "S00E00", "H"))


def test_season_3_episode_7_picked_with_the_arrows_ends_the_line_of_a_720p_show(app):
    set_up_site(app, [HARBOUR, QUIET], favourites=[favourite(QUIET, "S00E00", "H")])
    proc = start_and_settle(app)
    only = caption(1, 1, QUIET[1])
    open_settings(app, only)
    app.click(WATCHED, only)
    enabled, _ = app.wait_state(SEASON_SPIN, "enabled", 3000, only)
    for season in ("S02", "S03"):
        step(app, only, SEASON_SPIN, True, SEASON, season)
    for episode in ("E02", "E03", "E04", "E05", "E06", "E07"):
        step(app, only, EPISODE_SPIN, True, EPISODE, episode)
    chosen = page_state(app, only)
    app.click(NEXT, only)
    closed = app.wait_gone(only, 5000)
    assert app.close_and_wait(proc) == 0

    assert enabled
    assert chosen == page(HD, True, "S03E07", True, False, BUILT_IN["End"])
    assert closed
    written = app.file(FAVOURITES).read_bytes()
    assert written == line_bytes(favourite(QUIET, "S03E07", "H"))
    assert written.endswith(b">S03E07H\r\n")


ZEBRA = ("/shows/37/zebra-crossing/", "Zebra Crossing")


def test_a_name_put_back_that_sorts_after_every_shown_name_ends_the_show_list(app):
    set_up_site(app, [ALPHA, HARBOUR, QUIET, ZEBRA],
                favourites=[favourite(HARBOUR, "S02E01", "H"), favourite(QUIET, "S01E01", "L")],
                blacklist=["Zebra Crossing"])
    proc = start_and_settle(app)
    loaded = app.list_items(SHOW_LIST)

    app.click(BLACKLIST_LABEL)
    app.wait_window(BLACKLIST_TITLE)
    opened = list_names(app, CANDIDATES), list_names(app, BLACKLISTED)
    move(app, BLACKLISTED, [0], PUT_BACK)
    after = list_names(app, CANDIDATES), list_names(app, BLACKLISTED)
    shows = app.list_items(SHOW_LIST)
    app.close_window(BLACKLIST_TITLE)
    closed = app.wait_gone(BLACKLIST_TITLE, 5000)
    assert app.close_and_wait(proc) == 0

    assert loaded == [("Alpha Centauri", 0), ("Harbour Lights", FAVOURITE), ("Quiet Fields", FAVOURITE)]
    # The favourites are never offered on the left.
    assert opened == (["Alpha Centauri"], ["Zebra Crossing"])
    assert after == (["Alpha Centauri", "Zebra Crossing"], [])
    assert shows == [("Alpha Centauri", 0), ("Harbour Lights", FAVOURITE), ("Quiet Fields", FAVOURITE),
                     ("Zebra Crossing", 0)]
    assert closed
    # No entry left: the file holds a single line end.
    assert app.file(BLACKLIST).read_bytes() == b"\r\n"
