"""How long the main window takes to list the site's shows, under Wine.

For each Epiloom.exe given and each page size: a fresh scenario of the
end-to-end harness (its own prefix copy, program folder and fixture site), a
show list page of that many shows, a favourites file naming up to 100 of them
spread over the page, then the program is started and timed from its window's
appearance to the status line's "<n> Kestrix Shows available:". The list is
then read back (item count and ticks) so a figure only counts when the list is
the right one. Prints figures; it is not a test. Every Wine start goes through
the harness, which makes a start that Wine itself broke again in a new Wine
session (bounded, logged; tools/wine_session.py).

Run through tools/bench_show_list.sh, which builds what is needed and passes
the build's addresses (EPILOOM_E2E_SITE_URL, ...) before the harness is
imported.

    python3 tools/bench_show_list.py --driver D --recorder R [--sizes 10,1000,10000]
        [--favourites 100] [--timeout 180] LABEL=EXE [LABEL=EXE ...]
"""

import argparse
import json
import shutil
import signal
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
import harness  # noqa: E402
from english_texts import BUILT_IN  # noqa: E402

FAVOURITE = -1  # item data of a ticked show


def catalogue(size):
    return [("/shows/%d/show-%d/" % (i, i), "Bench Show %05d" % i) for i in range(size)]


def favourite_lines(shows, favourites):
    count = min(favourites, len(shows))
    step = len(shows) // count if count else 1
    chosen = [shows[i * step] for i in range(count)]
    lines = ["%s|%s>S01E01L" % (title, path.rstrip("/")) for path, title in chosen]
    return ("\r\n".join(lines) + "\r\n").encode("cp1252"), count


def measure(session, workdir, label, exe, size, favourites, timeout_s):
    """One start of `exe` with a page of `size` shows: the seconds from process
    start to the window and from the window to the full list, and whether the
    list read back is whole."""
    session.exe = Path(exe)
    tmp = Path(tempfile.mkdtemp(prefix="%s-%d-" % (label, size), dir=workdir))
    app = harness.Scenario(session, tmp, "bench-%s-%d" % (label, size))
    try:
        shows = catalogue(size)
        app.serve("/showlist/", harness.show_list_page(shows))
        lines, ticked = favourite_lines(shows, favourites)
        app.file("Epiloom.favorite").write_bytes(lines)
        expected = "%d %s" % (size, BUILT_IN["Available"])

        started = time.monotonic()
        app.start()
        app.wait_window(timeout_ms=30000)
        shown = time.monotonic()
        code, text = app.drive("wait-text", harness.TITLE, harness.STATUS_LINE, expected, int(timeout_s * 1000))
        listed = time.monotonic()
        if code != 0:
            return shown - started, None, "status stayed %s" % text
        # Three cross-process messages per item: 10,000 items take a while.
        code, text = app.drive("list", harness.TITLE, harness.SHOW_LIST, timeout_s=300)
        if code != 0:
            return shown - started, listed - shown, "list unreadable: %s" % text
        items = json.loads(text)["items"]
        ticks = sum(1 for item in items if item["data"] == FAVOURITE)
        names_in_order = [item["text"] for item in items] == [title for _, title in shows]
        check = "ok" if len(items) == size and ticks == ticked and names_in_order else (
            "WRONG LIST: %d items, %d ticked, order %s" % (len(items), ticks, "ok" if names_in_order else "wrong"))
        return shown - started, listed - shown, check
    finally:
        app.teardown()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--recorder", required=True)
    parser.add_argument("--sizes", default="10,1000,10000")
    parser.add_argument("--favourites", type=int, default=100)
    parser.add_argument("--timeout", type=float, default=180, help="seconds allowed for one list to fill")
    parser.add_argument("programs", nargs="+", metavar="LABEL=EXE")
    args = parser.parse_args()
    programs = [p.split("=", 1) for p in args.programs]
    sizes = [int(s) for s in args.sizes.split(",")]

    # A SIGTERM (the shell script's time limit) ends the run through the
    # finally blocks, which end every Wine session and Xvfb by their ids.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))

    workdir = Path(tempfile.mkdtemp(prefix="epiloom-bench-"))
    session = harness.WineSession(programs[0][1], args.driver, args.recorder, workdir / "artifacts")
    results = []
    try:
        session.start()
        for label, exe in programs:
            for size in sizes:
                to_window, to_list, check = measure(session, workdir, label, exe, size, args.favourites,
                                                    args.timeout)
                results.append((label, size, to_window, to_list, check))
                figure = "%7.2f s" % to_list if to_list is not None else "   (none)"
                print("%-8s %6d shows: window after %5.2f s, full list %s after the window  [%s]"
                      % (label, size, to_window, figure, check), flush=True)
    finally:
        session.stop()
        shutil.rmtree(workdir, ignore_errors=True)

    print("\nshow list fill under Wine (window shown -> \"<n> %s\"), %d favourites:" % (BUILT_IN["Available"],
                                                                                     args.favourites))
    print("%-8s %10s %12s" % ("build", "shows", "seconds"))
    for label, size, _, to_list, check in results:
        print("%-8s %10d %12s%s" % (label, size, "%.2f" % to_list if to_list is not None else "-",
                                    "" if check == "ok" else "  " + check))
    return 0 if all(check == "ok" for *_, check in results) else 1


if __name__ == "__main__":
    sys.exit(main())
