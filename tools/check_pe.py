#!/usr/bin/env python3
"""Checks the headers of the shipped 32-bit Epiloom.exe, which these machines
cannot run: what Windows relies on and Wine forgives.

    check_pe.py EXE          fails with a message per missing property
    check_pe.py --self-test EXE
                             also checks that each property, taken out of a
                             copy of EXE, is reported

The exe must be a PE32 for i386 with the GUI subsystem; it must allow
address space layout randomisation (DYNAMIC_BASE) with its base relocations
kept (a non-empty .reloc section: Windows relocates the exe, Wine rarely
does), forbid executing data (NX_COMPAT), be large-address-aware, and import
only from DLLs that every Windows has (no MinGW runtime DLL beside it).
Only the standard library is used.
"""
import struct
import sys

MACHINE_I386 = 0x014C
PE32_MAGIC = 0x010B
SUBSYSTEM_GUI = 2
FILE_RELOCS_STRIPPED = 0x0001
FILE_LARGE_ADDRESS_AWARE = 0x0020
DLL_DYNAMIC_BASE = 0x0040
DLL_NX_COMPAT = 0x0100
IMPORT_DIRECTORY = 1
RELOC_DIRECTORY = 5
DELAY_IMPORT_DIRECTORY = 13

# What the exe may import: the system DLLs of the libraries the program links
# (src/CMakeLists.txt), the kernel and Windows's own C runtime, which MinGW-w64
# uses. A DLL not listed here would have to be shipped beside the exe.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "shell32.dll", "ole32.dll", "oleaut32.dll",
    "advapi32.dll", "wininet.dll", "shlwapi.dll", "uxtheme.dll", "msvcrt.dll",
}


class Pe:
    """The parts of a PE image that the checks read, with the file offset of
    each field that the self-test changes."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ" or len(data) < 0x40:
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        coff = pe + 4
        self.machine_at = coff
        self.machine, sections, _, _, _, optional_size, self.characteristics = struct.unpack_from(
            "<HHIIIHH", data, coff)
        self.characteristics_at = coff + 18
        optional = coff + 20
        self.magic = struct.unpack_from("<H", data, optional)[0]
        self.subsystem_at = optional + 68
        self.dll_characteristics_at = optional + 70
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, self.subsystem_at)
        directories = optional + (96 if self.magic == PE32_MAGIC else 112)
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directories_at = directories
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(min(count, 16))]
        self.sections = []
        first = optional + optional_size
        for i in range(sections):
            at = first + 40 * i
            name = data[at:at + 8].rstrip(b"\0").decode("latin-1")
            virtual_size, rva, raw_size, raw_at = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append({"name": name, "at": at, "rva": rva, "size": max(virtual_size, raw_size),
                                  "raw_size": raw_size, "raw_at": raw_at})

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva):
        for s in self.sections:
            if s["rva"] <= rva < s["rva"] + s["size"] and rva - s["rva"] < s["raw_size"]:
                return s["raw_at"] + rva - s["rva"]
        raise ValueError("address 0x%x is in no section" % rva)

    def text_at(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("latin-1"), at

    def imports(self):
        """(name, file offset of the name) of every imported DLL, delay-loaded
        ones included."""
        found = []
        rva, size = self.directory(IMPORT_DIRECTORY)
        if rva and size:
            at = self.offset(rva)
            while True:
                descriptor = struct.unpack_from("<IIIII", self.data, at)
                if descriptor == (0, 0, 0, 0, 0):
                    break
                found.append(self.text_at(descriptor[3]))
                at += 20
        rva, size = self.directory(DELAY_IMPORT_DIRECTORY)
        if rva and size:
            at = self.offset(rva)
            while True:
                descriptor = struct.unpack_from("<8I", self.data, at)
                if not any(descriptor):
                    break
                found.append(self.text_at(descriptor[1]))
                at += 32
        return found


def problems(data):
    """What the image at `data` lacks, one line each; empty when it is sound."""
    try:
        pe = Pe(data)
    except (ValueError, struct.error) as error:
        return ["not a PE image: %s" % error]
    found = []
    if pe.machine != MACHINE_I386 or pe.magic != PE32_MAGIC:
        found.append("not a 32-bit (PE32, i386) image: machine 0x%04x, optional header 0x%04x" %
                     (pe.machine, pe.magic))
    if pe.subsystem != SUBSYSTEM_GUI:
        found.append("subsystem %d, not the Windows GUI (2)" % pe.subsystem)
    if not pe.dll_characteristics & DLL_DYNAMIC_BASE:
        found.append("DYNAMIC_BASE is not set: Windows cannot move the exe (-Wl,--dynamicbase)")
    if not pe.dll_characteristics & DLL_NX_COMPAT:
        found.append("NX_COMPAT is not set (-Wl,--nxcompat)")
    if not pe.characteristics & FILE_LARGE_ADDRESS_AWARE:
        found.append("not large-address-aware: the exe gets 2 GiB of address space, not 4 (-Wl,--large-address-aware)")
    reloc = [s for s in pe.sections if s["name"] == ".reloc" and s["raw_size"] > 0]
    rva, size = pe.directory(RELOC_DIRECTORY)
    if pe.characteristics & FILE_RELOCS_STRIPPED or not reloc or not (rva and size):
        found.append("no base relocations (a non-empty .reloc section): a moved exe would not run "
                     "(-Wl,--enable-reloc-section)")
    try:
        for name, _ in pe.imports():
            if name.lower() not in SYSTEM_DLLS:
                found.append("imports from %s, which is not a system DLL (link it statically)" % name)
    except (ValueError, struct.error) as error:
        found.append("unreadable import table: %s" % error)
    return found


def self_test(data):
    """Takes each property out of a copy of a sound image and expects it
    reported. Returns the lines of what went wrong."""
    pe = Pe(data)

    def put16(image, at, value):
        struct.pack_into("<H", image, at, value)

    def without_reloc(image):
        for s in pe.sections:
            if s["name"] == ".reloc":
                image[s["at"]:s["at"] + 8] = b".norel\0\0"
                struct.pack_into("<I", image, s["at"] + 16, 0)  # SizeOfRawData
        struct.pack_into("<II", image, pe.directories_at + 8 * RELOC_DIRECTORY, 0, 0)

    def runtime_dll(image):
        name, at = next((n, a) for n, a in pe.imports() if n.lower() == "kernel32.dll")
        image[at:at + len(name)] = b"libgcc_s.dll"  # as long as KERNEL32.dll

    cases = [
        ("x86_64 machine", "not a 32-bit", lambda i: put16(i, pe.machine_at, 0x8664)),
        ("console subsystem", "subsystem 3", lambda i: put16(i, pe.subsystem_at, 3)),
        ("no DYNAMIC_BASE", "DYNAMIC_BASE",
         lambda i: put16(i, pe.dll_characteristics_at, pe.dll_characteristics & ~DLL_DYNAMIC_BASE)),
        ("no NX_COMPAT", "NX_COMPAT",
         lambda i: put16(i, pe.dll_characteristics_at, pe.dll_characteristics & ~DLL_NX_COMPAT)),
        ("not large-address-aware", "large-address-aware",
         lambda i: put16(i, pe.characteristics_at, pe.characteristics & ~FILE_LARGE_ADDRESS_AWARE)),
        ("relocations stripped", "base relocations",
         lambda i: put16(i, pe.characteristics_at, pe.characteristics | FILE_RELOCS_STRIPPED)),
        ("no .reloc section", "base relocations", without_reloc),
        ("a MinGW runtime DLL", "libgcc_s.dll", runtime_dll),
    ]
    failures = []
    for name, expected, change in cases:
        image = bytearray(data)
        change(image)
        reported = problems(bytes(image))
        if not any(expected in line for line in reported):
            failures.append("a copy with %s was not reported (%s)" % (name, "; ".join(reported) or "no problem found"))
    return failures


def main(argv):
    test = "--self-test" in argv
    paths = [a for a in argv if a != "--self-test"]
    if len(paths) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    path = paths[0]
    with open(path, "rb") as f:
        data = f.read()
    found = problems(data)
    for line in found:
        print("%s: %s" % (path, line), file=sys.stderr)
    if found:
        return 1
    print("%s: PE32 i386 GUI, DYNAMIC_BASE, NX_COMPAT, .reloc, large-address-aware, imports %s" %
          (path, ", ".join(sorted(n for n, _ in Pe(data).imports()))))
    if test:
        failures = self_test(data)
        for line in failures:
            print("check_pe.py self-test: %s" % line, file=sys.stderr)
        if failures:
            return 1
        print("check_pe.py self-test: every property taken out of a copy was reported")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
