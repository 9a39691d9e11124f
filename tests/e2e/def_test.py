"""Quendral/ws2_32.def as MSVC's side reads it: LLVM's module-definition reader, the one that
follows lib.exe's grammar, must make of it the same six ordinal imports that binutils' dlltool
put into the exe, in the import library format that lib.exe writes."""
import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import harness

DEF = os.environ.get("QUENDRAL_WS2_32_DEF", "")
if not DEF or not os.path.exists(DEF):
    harness.skip("QUENDRAL_WS2_32_DEF does not name Quendral/ws2_32.def")
DLLTOOL = shutil.which("llvm-dlltool-14") or shutil.which("llvm-dlltool")
if DLLTOOL is None:
    harness.skip("llvm-dlltool not found (Debian package llvm-14)")

# What pe_test checks in the exe and against Wine's ws2_32.dll, as the import library says it.
SOCKETS_ORDINALS = {b"WSAStartup": 115, b"WSACleanup": 116, b"gethostname": 57,
                    b"gethostbyname": 52, b"gethostbyaddr": 51, b"inet_ntoa": 12}
IMAGE_FILE_MACHINE_AMD64 = 0x8664
IMPORT_OBJECT_CODE = 0
IMPORT_OBJECT_ORDINAL = 0  # the name type of an import by ordinal: no name goes to the exe


def members(archive):
    """The members of an ar archive, in order, the linker's index and long names included."""
    assert archive.startswith(b"!<arch>\n"), "an ar archive"
    offset = 8
    while offset + 60 <= len(archive):
        size = int(archive[offset + 48:offset + 58])
        yield archive[offset + 60:offset + 60 + size]
        offset += 60 + size + size % 2


def short_imports(library):
    """Each short import object of an import library: symbol -> (DLL, ordinal or hint, type,
    name type, machine)."""
    found = {}
    for data in members(library):
        signature1, signature2, version, machine = struct.unpack_from("<HHHH", data)
        if (signature1, signature2, version) != (0, 0xFFFF, 0):
            continue  # the import descriptor and the null thunk, ordinary objects
        size, ordinal, kinds = struct.unpack_from("<IHH", data, 12)
        symbol, dll = data[20:20 + size].split(b"\0")[:2]
        found[symbol] = (dll, ordinal, kinds & 0x3, (kinds >> 2) & 0x7, machine)
    return found


class ModuleDefinition(unittest.TestCase):
    def test_ordinal_imports_in_msvc_format(self):
        with tempfile.TemporaryDirectory() as folder:
            library = os.path.join(folder, "ws2_32_ordinal.lib")
            done = subprocess.run([DLLTOOL, "-m", "i386:x86-64", "-d", DEF, "-l", library],
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
            self.assertEqual(0, done.returncode, done.stdout.decode(errors="replace"))
            with open(library, "rb") as f:
                found = short_imports(f.read())
        self.assertEqual({symbol: (b"WS2_32.dll", ordinal, IMPORT_OBJECT_CODE,
                                   IMPORT_OBJECT_ORDINAL, IMAGE_FILE_MACHINE_AMD64)
                          for symbol, ordinal in SOCKETS_ORDINALS.items()}, found)


if __name__ == "__main__":
    harness.main()
