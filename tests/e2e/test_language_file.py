"""The English language file: written at the first start, never overwritten,
read with the profile rules, and harmless when damaged or unwritable."""

import random

import pytest

from english_texts import ABOUT2_FALLBACK, BUILT_IN, CONTACT, default_english_file, main_window_texts
from harness import ABOUT_LINE, DOWNLOAD_BUTTON, SETTINGS_BUTTON, STATUS_LINE, TITLE

SHOWN = (STATUS_LINE, SETTINGS_BUTTON, DOWNLOAD_BUTTON, ABOUT_LINE)


def run_and_read(app, label):
    """Starts the program, reads the texts of the main window, closes it with
    the close box; returns (texts by control, exit code)."""
    app.hold_update_check()
    proc = app.start()
    app.wait_window()
    texts = {control: app.text(control) for control in SHOWN}
    app.screenshot(label)
    return texts, app.close_and_wait(proc)


def test_the_first_start_writes_the_default_english_file(app):
    app.hold_update_check()
    proc = app.start()
    app.wait_window()
    written = app.file("Epiloom.lang.EN").read_bytes()
    assert app.close_and_wait(proc) == 0

    lines = written.split(b"\r\n")
    assert lines[-1] == b"" and len(lines) - 1 == 68, "a header and 67 keys, each line ended by CR LF"
    assert lines[0] == b"[Language]"
    assert b"simple clicking on" in written
    assert written == default_english_file()
    assert app.file("Epiloom.lang.EN").read_bytes() == written


LONG = "".join(chr(ord("a") + i % 26) for i in range(300))

# Files a user (or translator) edited: the lines of the file, the line end, and
# the texts they must give; every other key keeps its built-in text.
EDITED = [
    ("key in lower case with blanks around",
     ["[language]", "  checknewversion  =   Hello there  "], "\r\n",
     {"CheckNewVersion": "Hello there"}),
    ("300-character value is cut to 259",
     ["[Language]", "Download1=" + LONG], "\r\n",
     {"Download1": LONG[:259]}),
    ("empty value stays empty",
     ["[Language]", "Download2="], "\r\n",
     {"Download2": ""}),
    ("missing keys keep their built-in texts, ANSI bytes pass through",
     ["[Language]", "Param2= Param\u00e8tres pour"], "\r\n",
     {"Param2": "Param\u00e8tres pour"}),
    ("the first of two lines wins, other sections and keys are ignored",
     ["[Other]", "CheckNewVersion= Wrong section", "[Language]", "NotAKey= nothing",
      "CheckNewVersion= First", "CheckNewVersion= Second"], "\r\n",
     {"CheckNewVersion": "First"}),
    ("line feeds alone end lines too",
     ["[Language]", "Download3= downloads", "My= your"], "\n",
     {"Download3": "downloads", "My": "your"}),
    ("About1 translated with the address, About2 without it",
     ["[Language]", "About1= Ce logiciel est gratuit, dons PayPal \u00e0 " + CONTACT,
      "About2= Un bug \u00e0 signaler ? \u00c9crivez-moi"], "\r\n",
     {"About1": "Ce logiciel est gratuit, dons PayPal \u00e0 " + CONTACT, "About2": ABOUT2_FALLBACK}),
    ("About1 without the address, About2 translated with it",
     ["[Language]", "About1= Ce logiciel est gratuit",
      "About2= Un bug \u00e0 signaler ? \u00c9crivez-moi \u00e0 " + CONTACT], "\r\n",
     {"About1": BUILT_IN["About1"], "About2": "Un bug \u00e0 signaler ? \u00c9crivez-moi \u00e0 " + CONTACT}),
]


@pytest.mark.parametrize("lines, eol, texts", [c[1:] for c in EDITED], ids=[c[0] for c in EDITED])
def test_an_edited_english_file_is_kept_and_shown(app, lines, eol, texts):
    content = "".join(line + eol for line in lines).encode("cp1252")
    app.file("Epiloom.lang.EN").write_bytes(content)

    shown, code = run_and_read(app, "edited")

    assert code == 0
    assert shown == main_window_texts({**BUILT_IN, **texts})
    assert app.file("Epiloom.lang.EN").read_bytes() == content


_random = random.Random(1606)
BINARY = b"\x00\x01\x02" + bytes(_random.randrange(256) for _ in range(4000))

# Damaged files: what can be read is used, the rest is built in.
DAMAGED = [
    ("binary", BINARY, {}),
    ("cut off in the middle of a line",
     b"[Language]\r\nCheckNewVersion= Still readable\r\nDownload3= half a li", {
         "CheckNewVersion": "Still readable", "Download3": "half a li"}),
    ("binary after good lines",
     b"[Language]\r\nParam2= Readable part\r\n" + BINARY + b"\r\n", {"Param2": "Readable part"}),
]


@pytest.mark.parametrize("content, texts", [c[1:] for c in DAMAGED], ids=[c[0] for c in DAMAGED])
def test_a_damaged_english_file_gives_built_in_texts_for_what_cannot_be_read(app, content, texts):
    assert b"[language]" not in BINARY.lower(), "the random bytes must not hold a section of their own"
    app.file("Epiloom.lang.EN").write_bytes(content)

    shown, code = run_and_read(app, "damaged")

    assert code == 0
    assert shown == main_window_texts({**BUILT_IN, **texts})
    assert app.file("Epiloom.lang.EN").read_bytes() == content


def test_an_unwritable_folder_gives_the_built_in_texts_and_one_notice(app):
    if not app.lock_folder():
        pytest.skip("this file system cannot make a folder unwritable for root (chattr +i failed)")
    with pytest.raises(OSError):
        (app.folder / "probe").write_bytes(b"")

    app.hold_update_check()
    proc = app.start()
    app.wait_window()
    shown = {control: app.text(control) for control in SHOWN}
    box = app.message_box(timeout_ms=5000)
    app.answer("ok")
    windows = [w["title"] for w in app.windows()]
    app.screenshot("unwritable")
    code = app.close_and_wait(proc)

    assert shown == main_window_texts()
    # Told once, at start, in the built-in texts; nothing else is said.
    assert box is not None and box["text"].startswith(BUILT_IN["ReadOnlyFolder1"] + "\n")
    assert windows == [TITLE]
    assert code == 0
    assert app.files() == ["Epiloom.exe"]
