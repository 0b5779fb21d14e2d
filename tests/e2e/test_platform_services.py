"""The program's download and profile services on Wine, through the console
checks of tests/win: what the scenarios rely on underneath."""

import os
import random
import socket

import pytest

from harness import SITE_PORT


def check_program(variable):
    path = os.environ.get(variable)
    if not path:
        pytest.skip("%s is not set (the Windows-side checks of tests/win are not part of this build)" % variable)
    if not os.path.isfile(path):
        pytest.fail("%s=%s does not exist: build it first" % (variable, path), pytrace=False)
    return path


def test_language_texts_follow_the_profile_rules(app):
    code, out = app.run_console(check_program("EPILOOM_E2E_PROFILE_CHECK"))
    assert code == 0, out
    assert out.strip().endswith(" 0 failed"), out
    assert not (app.folder / "Epiloom.lang.ZZ").exists()


_random = random.Random(2024)
RANDOM_BODY = bytes(_random.randrange(256) for _ in range(200000)) + b"\x00\r\n\r\n\x00"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


# What the site does, and what the download service must give back: the body
# byte for byte, or nothing (the service's failure) for anything but a 2xx
# answer with a body.
DOWNLOADS = [
    ("binary body with NULs and CR LF", {"file": RANDOM_BODY}, RANDOM_BODY),
    ("404 error page", {}, None),
    ("500 with a body", {"route": {"status": 500, "body": "<html>maintenance</html>"}}, None),
    ("empty body", {"file": b""}, None),
    ("silent server", {"route": {"silent": True}}, None),
    ("stalls after part of the body", {"route": {"stall": True, "body": "<html><body>half"}}, None),
    ("stalls after part of a body of unannounced length",
     {"route": {"stall": True, "unannounced": True, "hold_s": 4, "body": "<html><body>half"}}, None),
    ("nobody listening", {"port": "free"}, None),
]


@pytest.mark.parametrize("site, expected", [c[1:] for c in DOWNLOADS], ids=[c[0] for c in DOWNLOADS])
def test_a_download_is_the_body_or_nothing(app, site, expected):
    probe = check_program("EPILOOM_E2E_DOWNLOAD_PROBE")
    if "file" in site:
        app.serve("/probe/page.bin", site["file"])
    if "route" in site:
        app.route("/probe/page.bin", **site["route"])
    port = free_port() if site.get("port") == "free" else SITE_PORT

    code, out = app.run_console(probe, "http://127.0.0.1:%d/probe/page.bin" % port, "got.bin")

    got = (app.folder / "got.bin").read_bytes()
    if expected is None:
        assert (code, got) == (3, b""), out
    else:
        assert code == 0, out
        assert got == expected
    if port == SITE_PORT:
        assert app.requested() == ["/probe/page.bin"]


def test_downloads_are_not_cached(app):
    probe = check_program("EPILOOM_E2E_DOWNLOAD_PROBE")
    url = "http://127.0.0.1:%d/Epiloom/lastversion.dat" % SITE_PORT
    bodies = []
    for label in (b"V1.6;", b"V1.7;"):
        app.serve("/Epiloom/lastversion.dat", label)
        code, out = app.run_console(probe, url, "got.bin")
        assert code == 0, out
        bodies.append((app.folder / "got.bin").read_bytes())
    assert bodies == [b"V1.6;", b"V1.7;"]
    assert app.requested() == ["/Epiloom/lastversion.dat"] * 2
