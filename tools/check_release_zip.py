#!/usr/bin/env python3
"""Checks the release archive: exactly Epiloom.exe and README-Windows.txt in
the archive's one folder, the exe the very one built (whose headers
check_pe.py checks) and the text in CR LF lines, as Windows's Notepad of
every version shows it.

    check_release_zip.py ZIP BUILT_EXE
"""
import os
import sys
import zipfile


def problems(zip_path, built_exe):
    folder = os.path.basename(zip_path)[:-len(".zip")]
    expected = {folder + "/Epiloom.exe", folder + "/README-Windows.txt"}
    found = []
    with zipfile.ZipFile(zip_path) as archive:
        bad = archive.testzip()
        if bad is not None:
            return ["%s is damaged in the archive" % bad]
        files = {i.filename for i in archive.infolist() if not i.is_dir()}
        if files != expected:
            found.append("holds %s, not exactly %s" % (sorted(files), sorted(expected)))
        if folder + "/Epiloom.exe" in files:
            with open(built_exe, "rb") as f:
                if archive.read(folder + "/Epiloom.exe") != f.read():
                    found.append("its Epiloom.exe is not %s" % built_exe)
        if folder + "/README-Windows.txt" in files:
            text = archive.read(folder + "/README-Windows.txt")
            if not text.endswith(b"\r\n") or text.count(b"\n") != text.count(b"\r\n") or b"\r\r" in text:
                found.append("README-Windows.txt does not have CR LF line ends throughout")
    return found


def main(argv):
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    found = problems(argv[0], argv[1])
    for line in found:
        print("%s: %s" % (argv[0], line), file=sys.stderr)
    if not found:
        print("%s: Epiloom.exe (the one built) and README-Windows.txt (CR LF)" % argv[0])
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
