"""The Windows exe as Explorer and the loader see it: its version resource, its imports and the
header fields that make it reproducible and hardened."""
import glob
import os
import re
import unittest

import harness
from windows_target import TARGET

try:
    import pefile
except ImportError:
    harness.skip("pefile not found (Debian package python3-pefile, run with /usr/bin/python3)")

EXE = harness.tool()
VERSION = os.environ.get("QUENDRAL_VERSION", "")
if not VERSION:
    harness.skip("QUENDRAL_VERSION does not give the project version")
MAJOR, MINOR, PATCH = (int(part) for part in VERSION.split("."))

COMPANY = b"Zemblor Systems Inc."
# Every value of the one string block, the empty ones included: Explorer shows a field only
# when it is there.
STRINGS = {
    b"Comments": b"",
    b"CompanyName": COMPANY,
    b"FileDescription": b"Quendral Application",
    b"FileVersion": VERSION.encode(),
    b"LegalCopyright": b"Copyright (C) 2026 " + COMPANY,
    b"LegalTrademarks": b"",
    b"PrivateBuild": b"",
    b"ProductName": b"Quendral",
    b"ProductVersion": VERSION.encode(),
    b"SpecialBuild": b"",
}

VFT_APP = 0x1
VOS_NT_WINDOWS32 = 0x40004
IMAGE_SUBSYSTEM_WINDOWS_CUI = 3

# What a bare Windows has: the exe must carry everything else inside it.
SYSTEM_DLLS = {"kernel32.dll", "ws2_32.dll", "msvcrt.dll"}
SOCKETS_CALLS = {b"WSAStartup", b"WSACleanup", b"gethostname", b"gethostbyname",
                 b"gethostbyaddr", b"inet_ntoa"}

# The same calls by the ordinals every WS2_32.dll gives them, which the target's .def in
# Quendral/ binds the programs to. pefile puts a name on an ordinal import from its own table,
# so whether the file names a function is read from the thunk.
SOCKETS_ORDINALS = {115: b"WSAStartup", 116: b"WSACleanup", 57: b"gethostname",
                    52: b"gethostbyname", 51: b"gethostbyaddr", 12: b"inet_ntoa"}

# Wine's own ws2_32.dll of the target's width is a PE file with Windows' ordinals: the one
# place here to check them.
WINE_WS2_32 = [os.path.join(folder, "ws2_32.dll") for folder in TARGET.wine_dlls]

# ASLR (with the 64-bit address space on x64), and DEP.
HARDENING = TARGET.hardening
IMAGE_FILE_RELOCS_STRIPPED = 0x0001
IMAGE_DIRECTORY_ENTRY_BASERELOC = 5
# The link writes no time into the header, so that a rebuild gives the same bytes.
TIME_STAMP = 0


def program(variable):
    path = os.environ.get(variable, "")
    if not path or not os.path.exists(path):
        raise AssertionError(variable + " does not name a built Windows program")
    return path


def sockets_imports(pe):
    """What a program imports from WS2_32, from every import descriptor that names the DLL."""
    return [symbol for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])
            if entry.dll.decode().lower() == "ws2_32.dll" for symbol in entry.imports]


class Exe(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = pefile.PE(EXE)

    def test_fixed_version_info(self):
        self.assertTrue(hasattr(self.pe, "VS_FIXEDFILEINFO"), "the exe has a version resource")
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        version_ms = (MAJOR << 16) | MINOR
        version_ls = PATCH << 16
        self.assertEqual(
            {"FileVersion": (version_ms, version_ls), "ProductVersion": (version_ms, version_ls),
             "FileType": VFT_APP, "FileOS": VOS_NT_WINDOWS32},
            {"FileVersion": (fixed.FileVersionMS, fixed.FileVersionLS),
             "ProductVersion": (fixed.ProductVersionMS, fixed.ProductVersionLS),
             "FileType": fixed.FileType, "FileOS": fixed.FileOS})

    def test_string_block_and_translation(self):
        self.assertTrue(hasattr(self.pe, "FileInfo"), "the exe has a version resource")
        tables = {}
        translations = []
        for info in self.pe.FileInfo[0]:
            if info.Key == b"StringFileInfo":
                for table in info.StringTable:
                    tables[table.LangID.upper()] = table.entries
            elif info.Key == b"VarFileInfo":
                translations += [var.entry.get(b"Translation") for var in info.Var]
        self.assertEqual({b"040904B0": STRINGS}, tables)
        self.assertEqual(["0x0409 0x04b0"], translations)

    def test_console_program_for_the_target(self):
        self.assertEqual(IMAGE_SUBSYSTEM_WINDOWS_CUI, self.pe.OPTIONAL_HEADER.Subsystem)
        self.assertEqual((pefile.MACHINE_TYPE[TARGET.machine], TARGET.magic),
                         (self.pe.FILE_HEADER.Machine, self.pe.OPTIONAL_HEADER.Magic))

    def test_imports_only_system_dlls(self):
        imports = {entry.dll.decode().lower(): entry for entry in self.pe.DIRECTORY_ENTRY_IMPORT}
        self.assertLessEqual(set(imports), SYSTEM_DLLS,
                             "no compiler runtime DLL (libstdc++, libgcc, libwinpthread)")
        self.assertIn("kernel32.dll", imports)
        sockets = imports.get("ws2_32.dll")
        self.assertIsNotNone(sockets, "the real Windows Sockets")
        self.assertEqual(SOCKETS_CALLS, {symbol.name for symbol in sockets.imports})

    def test_static_runtime_for_every_program(self):
        # The tool itself needs little of the C++ runtime; a test program that uses much of it
        # shows that the build links it in rather than leaving a DLL to find.
        other = os.environ.get("QUENDRAL_CXX_EXE", "")
        self.assertTrue(other and os.path.exists(other), "QUENDRAL_CXX_EXE names a C++ exe")
        imports = {entry.dll.decode().lower() for entry in pefile.PE(other).DIRECTORY_ENTRY_IMPORT}
        self.assertLessEqual(imports, SYSTEM_DLLS)


class EveryProgram(unittest.TestCase):
    """What the build gives every Windows program alike: the tool, the refused start-up (the
    platform's calls without a report) and the scripted tests (no Windows Sockets at all)."""

    @classmethod
    def setUpClass(cls):
        cls.paths = {name: program(variable) for name, variable in
                     (("quendral", "QUENDRAL"), ("refused_startup", "QUENDRAL_REFUSED"),
                      ("scripted_test", "QUENDRAL_CXX_EXE"))}
        cls.programs = {name: pefile.PE(path) for name, path in cls.paths.items()}

    def test_sockets_bound_by_ordinal_only(self):
        for name, pe in self.programs.items():
            with self.subTest(program=name):
                for symbol in sockets_imports(pe):
                    thunk = symbol.struct_table.AddressOfData
                    self.assertTrue(thunk & TARGET.ordinal_flag,
                                    "%s: import %#x names a function" % (name, thunk))
                    self.assertTrue(symbol.import_by_ordinal)
                    self.assertIsNone(symbol.hint_name_table_rva)
                    self.assertEqual(thunk & 0xFFFF, symbol.ordinal)
        for name in ("quendral", "refused_startup"):
            with self.subTest(program=name):
                # A list, so that one ordinal imported twice shows too.
                self.assertEqual(sorted(SOCKETS_ORDINALS),
                                 sorted(symbol.ordinal for symbol in
                                        sockets_imports(self.programs[name])))

    def test_aslr_and_dep(self):
        for name, pe in self.programs.items():
            with self.subTest(program=name):
                flags = pe.OPTIONAL_HEADER.DllCharacteristics
                self.assertEqual([], [flag for flag in HARDENING
                                      if not flags & pefile.DLL_CHARACTERISTICS[flag]],
                                 "DllCharacteristics %#06x" % flags)

    def test_relocations_for_aslr(self):
        # Without its relocations a program is loaded at its preferred base, whatever its flags
        # say: a strip that dropped them would take ASLR away unseen.
        for name, pe in self.programs.items():
            with self.subTest(program=name):
                self.assertFalse(pe.FILE_HEADER.Characteristics & IMAGE_FILE_RELOCS_STRIPPED)
                self.assertGreater(
                    pe.OPTIONAL_HEADER.DATA_DIRECTORY[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size, 0)
                self.assertTrue(getattr(pe, "DIRECTORY_ENTRY_BASERELOC", None))

    def test_fixed_time_stamps(self):
        for name, pe in self.programs.items():
            with self.subTest(program=name):
                self.assertEqual(TIME_STAMP, pe.FILE_HEADER.TimeDateStamp)
                if hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
                    self.assertEqual(TIME_STAMP, pe.DIRECTORY_ENTRY_RESOURCE.struct.TimeDateStamp)

    def test_no_trace_of_the_build_folder(self):
        # Tools name symbols after paths with the other characters made underscores (dlltool
        # did after the import library's path); either form makes a rebuild elsewhere differ.
        build = os.environ.get("QUENDRAL_BUILD", "")
        self.assertTrue(build, "QUENDRAL_BUILD names the build folder")
        build = os.path.realpath(build).encode()
        forms = {build, re.sub(rb"[^A-Za-z0-9]", b"_", build)}
        for name, path in self.paths.items():
            with self.subTest(program=name):
                with open(path, "rb") as f:
                    data = f.read()
                self.assertEqual([], [form for form in forms if form in data])


class WindowsOrdinals(unittest.TestCase):
    def test_table_agrees_with_wines_ws2_32(self):
        found = [path for pattern in WINE_WS2_32 for path in glob.glob(pattern)]
        if not found:
            self.fail("Wine's ws2_32.dll not found in %s (Debian package %s)"
                      % (", ".join(WINE_WS2_32), TARGET.wine_package))
        dll = pefile.PE(found[0])
        self.assertEqual(pefile.MACHINE_TYPE[TARGET.machine], dll.FILE_HEADER.Machine,
                         "%s is for the target's machine" % found[0])
        exports = dll.DIRECTORY_ENTRY_EXPORT.symbols
        by_ordinal = {symbol.ordinal: symbol.name for symbol in exports if not symbol.forwarder}
        self.assertEqual(SOCKETS_ORDINALS,
                         {ordinal: by_ordinal.get(ordinal) for ordinal in SOCKETS_ORDINALS},
                         found[0])


if __name__ == "__main__":
    harness.main()
