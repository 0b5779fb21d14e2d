"""The files the torrent hand-off leaves for the shell, on Wine: the program's
icons exported as icon files and magnet shortcuts, written and read back by
the console check tests/win/shell_files_check.exe."""

import os
from pathlib import Path

import pytest

SHORTCUTS = {
    # file name as the Unix side sees it -> the magnet link inside
    "[2013-02-14] Some Show S02E06.lnk": b"magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567"
                                         b"&dn=Some+Show+S02E06&tr=udp%3A%2F%2Ftracker.example%3A80",
    # written twice: the second shortcut replaced the first
    "[2013-02-14] Caf\u00e9 S01E01.lnk": b"magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567",
}


def shell_files_check():
    """The check program: named by EPILOOM_E2E_SHELL_FILES_CHECK, else the one
    built beside Epiloom.exe."""
    path = os.environ.get("EPILOOM_E2E_SHELL_FILES_CHECK")
    if not path:
        exe = os.environ.get("EPILOOM_E2E_EXE")
        if not exe:
            pytest.skip("neither EPILOOM_E2E_SHELL_FILES_CHECK nor EPILOOM_E2E_EXE is set")
        path = str(Path(exe).parent / "shell_files_check.exe")
    if not os.path.isfile(path):
        pytest.fail("%s does not exist: build it first" % path, pytrace=False)
    return path


def test_icons_and_magnet_shortcuts_are_written_and_read_back(app):
    code, out = app.run_console(shell_files_check())
    assert code == 0, out
    assert out.strip().endswith(" 0 failed"), out

    # The exported icon files are the icon files the resources were made from.
    resources = Path(__file__).resolve().parents[2] / "resources"
    for name in ("AICO", "BICO"):
        exported = (app.folder / (name + ".ICO")).read_bytes()
        assert exported[:6] == b"\0\0\1\0\1\0"
        assert int.from_bytes(exported[18:22], "little") == 22
        assert exported == (resources / (name + ".ico")).read_bytes(), name

    links = sorted(p.name for p in app.folder.glob("*.lnk"))
    assert links == sorted(SHORTCUTS)
    for name, magnet in SHORTCUTS.items():
        data = (app.folder / name).read_bytes()
        assert magnet in data, name
    assert b"btih:first" not in (app.folder / "[2013-02-14] Caf\u00e9 S01E01.lnk").read_bytes()
