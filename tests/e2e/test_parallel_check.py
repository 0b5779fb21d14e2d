"""The episode check downloads the favourites' pages ahead, several at once,
and still shows and keeps everything in favourites order: with every page
held back by the site, several requests are under way together; while the
first favourite's page is still held, the dialog stays on the first
favourite however many later pages have come, and no page further ahead
than the number downloaded at once is asked for (pages ahead are kept in
memory until the check reads them); once it comes, the check goes through
and the hand-off offers each favourite's own episodes, in favourites order.
Each page is requested once."""

import time

from english_texts import BUILT_IN
from harness import (CHECK_COUNTER_LABEL, CURRENT_SHOW_LABEL, DOWNLOAD_WINDOW_TITLE, EPISODE_CHECK_TITLE,
                     WINDOWS_FOLDER, episode_page, episode_page_path, show_list_page, wait_until)

FAVOURITES = "Epiloom.favorite"
CHECK = EPISODE_CHECK_TITLE
SHOWS = [("/shows/%d/orchard-%d/" % (60 + n, n), "Orchard %d" % n) for n in range(1, 11)]
PAGES_AT_ONCE = 8  # the check's downloads at a time, and the most pages it holds ahead
AHEAD_MOMENT_S = 1.5  # time for downloads beyond those to start, were they allowed


def page_of(show):
    return episode_page_path(show[0])


def episodes_of(n):
    """Episodes no other show has: season n, one or two of them."""
    return [("s%02de%02d" % (n, e), "35%d.0 MB" % e) for e in range(1, 1 + (n % 2) + 1)]


def episode_requests(app):
    return [path for path in app.requested() if path.startswith("/shows/")]


def question(lines):
    """The hand-off's question for these list lines."""
    return (BUILT_IN["LaunchTorrent1"] + " %d " % len(lines) + BUILT_IN["LaunchTorrent2"] + "\n" +
            "".join(line + "\n" for line in lines) + "\n" + BUILT_IN["LaunchTorrent3"] + "\n" +
            BUILT_IN["LaunchTorrent4"] + "\n" + WINDOWS_FOLDER + ")")


def test_pages_are_read_several_at_once_and_kept_in_favourites_order(app):
    app.serve("/showlist/", show_list_page(SHOWS))
    for n, show in enumerate(SHOWS, 1):
        app.serve(page_of(show), episode_page(show[1], episodes_of(n)))
        app.hold(page_of(show))
    app.file(FAVOURITES).write_bytes("".join("%s|%s>S00E00L\r\n" % (title, path.rstrip("/"))
                                             for path, title in SHOWS).encode("cp1252"))
    proc = app.start()
    app.wait_window()
    app.wait_window(CHECK, 20000)

    # No page has been answered, yet several are being downloaded.
    wait_until(lambda: len(episode_requests(app)) >= PAGES_AT_ONCE, 15)
    under_way = sorted(episode_requests(app))
    app.screenshot("pages-under-way")

    # The later pages come first, the last one first: the dialog stays on
    # the first favourite, whose page is still held, and the pages after the
    # first eight are not asked for while it is.
    for show in reversed(SHOWS[1:]):
        app.release(page_of(show))
    time.sleep(AHEAD_MOMENT_S)
    asked_while_first_held = sorted(episode_requests(app))
    while_first_held = {"show": app.text(CURRENT_SHOW_LABEL, title=CHECK),
                        "counter": app.text(CHECK_COUNTER_LABEL, title=CHECK)}
    app.release(page_of(SHOWS[0]))

    box = app.message_box("Epiloom", timeout_ms=20000)
    app.answer("no")
    app.wait_gone(DOWNLOAD_WINDOW_TITLE, 10000)
    favourites_after = app.file(FAVOURITES).read_bytes()
    assert app.close_and_wait(proc) == 0

    assert under_way == sorted(page_of(show) for show in SHOWS[:PAGES_AT_ONCE])
    assert asked_while_first_held == under_way
    assert while_first_held == {"show": "Orchard 1", "counter": "(1/10)"}
    # Each favourite's own episodes, in favourites order, oldest first.
    lines = ["%s %s" % (show[1], code.upper()) for n, show in enumerate(SHOWS, 1) for code, _ in episodes_of(n)]
    assert box is not None and box["text"] == question(lines)
    assert favourites_after == "".join("%s|%s>%s\r\n" % (title, path.rstrip("/"), episodes_of(n)[-1][0].upper() + "L")
                                       for n, (path, title) in enumerate(SHOWS, 1)).encode("cp1252")
    # Each page once.
    assert sorted(episode_requests(app)) == sorted(page_of(show) for show in SHOWS)
