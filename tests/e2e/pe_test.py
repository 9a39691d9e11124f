"""The Windows exe as Explorer and the loader see it: its version resource and its imports."""
import os
import unittest

import harness

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

    def test_console_program_for_x64(self):
        self.assertEqual(IMAGE_SUBSYSTEM_WINDOWS_CUI, self.pe.OPTIONAL_HEADER.Subsystem)
        self.assertEqual(pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"],
                         self.pe.FILE_HEADER.Machine)

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


if __name__ == "__main__":
    harness.main()
