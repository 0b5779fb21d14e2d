"""The show list: read from the site's list page with the user's favourites
ticked and blacklisted shows left out, a retry after a failed load, and the
two list files written back when the program ends."""

import pytest

from english_texts import BUILT_IN
from harness import (BLACKLIST_LABEL, DOWNLOAD_BUTTON, REFRESH_BUTTON, SETTINGS_BUTTON, SPINNER, STATUS_LINE,
                     show_list_page)
from translations import read_window_texts, window_texts

FAVOURITES = "Epiloom.favorite"
BLACKLIST = "Epiloom.blacklist"
FAVOURITE = -1  # item data of a ticked show
MISSING = BUILT_IN["NotOnKestrix3"].strip()

LONG_TITLE = "The Remarkably Long Chronicles of Everything Beyond the Hills"
CUT_TITLE = LONG_TITLE[:42]

# Page order; each row says why it is there.
CATALOGUE = [
    ("/shows/10/breaking-point/", "Breaking Point"),  # a favourite
    ("/shows/11/chronicles/", LONG_TITLE),  # a favourite under its title cut to 42 characters
    ("/shows/12/twins/", "Twins"),  # same title as the next one: listed twice,
    ("/shows/13/twins-2009/", "Twins"),  # but only the one whose path is in the favourite line is ticked
    ("/shows/14/law-&amp;-order/", "Law &amp; Order"),  # a favourite, spelt as the page spells it
    ("/shows/15/hidden-valley/", "Hidden Valley"),  # blacklisted
    ("/shows/16/gone-fishing/", "Gone Fishing"),  # blacklisted and a favourite
    ("/shows/17/plain-sailing/", "Plain Sailing"),
]

# The favourite lines name each show's path without the "/" that ends its link.
FAVOURITE_LINES = [
    b"Breaking Point|/shows/10/breaking-point>S01E02H",
    CUT_TITLE.encode("cp1252") + b"|/shows/11/chronicles>S00E00L",
    b"Twins|/shows/13/twins-2009>S03E04L",
    b"Law &amp; Order|/shows/14/law-&amp;-order>S00E00H",
    b"Gone Fishing|/shows/16/gone-fishing>S02E02L",
    b"Not On The Site|/shows/99/not-there>S01E01L",
]
BLACKLIST_LINES = [b"Hidden Valley", b"Gone Fishing", b"Nowhere Man"]


def test_the_list_shows_the_page_with_favourites_ticked_and_blacklisted_shows_left_out(app):
    app.serve_shows(CATALOGUE)
    # Empty lines, which are dropped when the files are written back.
    app.file(FAVOURITES).write_bytes(b"\r\n" + b"\r\n\r\n".join(FAVOURITE_LINES) + b"\r\n\r\n")
    app.file(BLACKLIST).write_bytes(b"\r\n".join(BLACKLIST_LINES[:1] + [b""] + BLACKLIST_LINES[1:]) + b"\r\n")

    proc = app.start()
    app.wait_window()
    app.wait_show_list()
    # The window as the load left it, while the favourites that are not
    # listed are named in a warning (and then dropped).
    missing = app.message_box(MISSING, timeout_ms=10000)
    items = app.list_items()
    texts = read_window_texts(app)
    states = {c: app.state(c) for c in (SETTINGS_BUTTON, DOWNLOAD_BUTTON, BLACKLIST_LABEL, SPINNER, REFRESH_BUTTON)}
    app.screenshot("listed")
    app.answer("ok", caption=MISSING)
    app.close_download_window()
    assert app.close_and_wait(proc) == 0

    assert items == [
        ("Breaking Point", FAVOURITE),
        (CUT_TITLE, FAVOURITE),
        ("Twins", 0),
        ("Twins", FAVOURITE),
        ("Law &amp; Order", FAVOURITE),
        ("Plain Sailing", 0),
    ]
    # Six favourite lines (the blacklisted one and the one missing from the
    # site included), two of them never watched; three blacklisted names.
    assert texts == window_texts(BUILT_IN, shows=6, favourites=6, unwatched=2, blacklisted=3)
    assert texts[STATUS_LINE] == "6 Kestrix Shows available:"
    assert {c: (s["visible"], s["enabled"]) for c, s in states.items()} == {
        SETTINGS_BUTTON: (True, True), DOWNLOAD_BUTTON: (True, True), BLACKLIST_LABEL: (True, True),
        SPINNER: (False, True), REFRESH_BUTTON: (False, True),
    }
    assert missing is not None and missing["text"].split("\n")[1:-2] == ["Gone Fishing", "Not On The Site"]
    assert app.requested().count("/showlist/") == 1
    assert app.file(BLACKLIST).read_bytes() == b"".join(line + b"\r\n" for line in BLACKLIST_LINES)
    assert app.file(FAVOURITES).read_bytes() == b"".join(line + b"\r\n" for line in FAVOURITE_LINES
                                                         if not line.startswith((b"Gone Fishing|", b"Not On")))


def no_server(app):
    app.stop_site()


def error_page_with_entries(app):
    app.route("/showlist/", status=500, body=show_list_page(CATALOGUE))


def page_without_entries(app):
    app.serve("/showlist/", "<html><body><h1>Down for maintenance</h1></body></html>")


def page_with_blank_entries_only(app):
    app.serve("/showlist/", '<td class="forum_thread_post"><a href="   </a></td>\r\n'
                            '<td class="forum_thread_post"><a href="</a></td>\r\n')


# How the first load fails, and the status text it leaves.
FAILED_LOADS = [
    ("no server at all", no_server, "InternetError"),
    ("error status with a list in its body", error_page_with_entries, "InternetError"),
    ("page without entries", page_without_entries, "Unavailable"),
    ("page with blank entries only", page_with_blank_entries_only, "Unavailable"),
]
RETRY_PAGE = [("/shows/1/first/", "First"), ("/shows/2/second/", "Second"), ("/shows/3/third/", "Third")]


@pytest.mark.parametrize("fail, status_key", [c[1:] for c in FAILED_LOADS], ids=[c[0] for c in FAILED_LOADS])
def test_a_failed_load_offers_a_retry_that_loads_the_list_again(app, fail, status_key):
    fail(app)
    app.file(FAVOURITES).write_bytes(b"Second|/shows/2/second>S01E01L\r\n")
    proc = app.start()
    app.wait_window()
    shown, refresh = app.wait_state(REFRESH_BUTTON, "visible", 15000)
    assert shown, refresh
    failed = {"texts": read_window_texts(app), "items": app.list_items(),
              "spinner": app.state(SPINNER)["visible"], "refresh enabled": refresh["enabled"],
              "buttons": [app.state(c)["enabled"] for c in (SETTINGS_BUTTON, DOWNLOAD_BUTTON)]}
    app.screenshot("load-failed")
    assert failed == {"texts": window_texts(BUILT_IN, phase=status_key), "items": [], "spinner": False,
                      "refresh enabled": True, "buttons": [False, False]}

    # The site comes back, a little slowly, and the user presses the button.
    app.route("/showlist/", delay_ms=700)
    app.serve_shows(RETRY_PAGE)
    app.start_site()
    app.click(REFRESH_BUTTON)
    hidden, _ = app.wait_state(REFRESH_BUTTON, "hidden", 1000)
    spinning, _ = app.wait_state(SPINNER, "visible", 1000)
    loading = app.text(STATUS_LINE)
    app.wait_show_list()
    after = {"items": app.list_items(), "texts": read_window_texts(app),
             "spinner": app.state(SPINNER)["visible"], "refresh": app.state(REFRESH_BUTTON)["visible"]}
    app.close_download_window()
    assert app.close_and_wait(proc) == 0

    assert (hidden, spinning, loading) == (True, True, BUILT_IN["Populate"])
    assert after == {"items": [("First", 0), ("Second", FAVOURITE), ("Third", 0)],
                     "texts": window_texts(BUILT_IN, shows=3, favourites=1),
                     "spinner": False, "refresh": False}
    # The list, then the favourite's episode page.
    assert app.requested()[-2:] == ["/showlist/", "/shows/2/second/"]


def test_list_files_are_read_by_their_line_rules_and_written_back_with_cr_lf(app):
    app.serve_shows([("/shows/%d/%s/" % (n, name.lower()), name) for n, name in enumerate(
        ["Alpha", "Beta", "Gamma", "Delta", "Epsilon", "Zeta", "Theta", "Iota", "Kappa"], start=1)])
    app.file(FAVOURITES).write_bytes(
        b"Alpha|/shows/1/alpha>S01E02H\r"  # a CR alone ends a line
        b"\r\n"  # an empty line
        b"Beta|/shows/2/beta>S00E00L\r\n"
        b"\r"
        b"Gamma|/shows/3/gamma>S02E01H\n\nDelta|/shows/4/delta>S00E00L\r\n"  # line feeds alone stay in the line
        b"Epsilon|/shows/5/epsilon>S01E01L\x1a\r\n"  # byte 26 ends the file
        b"Zeta|/shows/6/zeta>S01E01L\r\n")
    app.file(BLACKLIST).write_bytes(b"\r\nTheta\r\rIota\x1a\r\nKappa\r\n")

    proc = app.start()
    app.wait_window()
    app.wait_show_list()
    items = app.list_items()
    texts = read_window_texts(app)
    app.close_download_window()
    assert app.close_and_wait(proc) == 0

    assert items == [("Alpha", FAVOURITE), ("Beta", FAVOURITE), ("Gamma", FAVOURITE), ("Delta", FAVOURITE),
                     ("Epsilon", FAVOURITE), ("Zeta", 0), ("Kappa", 0)]
    # In memory the Gamma line holds two line feeds, so the lists count six
    # favourites; written back, each becomes CR LF, the empty line between
    # Gamma and Delta included.
    assert texts == window_texts(BUILT_IN, shows=7, favourites=6, unwatched=2, blacklisted=2)
    assert app.file(FAVOURITES).read_bytes() == (
        b"Alpha|/shows/1/alpha>S01E02H\r\n"
        b"Beta|/shows/2/beta>S00E00L\r\n"
        b"Gamma|/shows/3/gamma>S02E01H\r\n\r\nDelta|/shows/4/delta>S00E00L\r\n"
        b"Epsilon|/shows/5/epsilon>S01E01L\r\n")
    assert app.file(BLACKLIST).read_bytes() == b"Theta\r\nIota\r\n"
