"""The .def files in Quendral/ as MSVC's side reads them: LLVM's module-definition reader, the
one that follows lib.exe's grammar, must make of each the same six ordinal imports that
binutils' dlltool puts into the exe, in the import library format that lib.exe writes. Both
files are read in either build, so that the 64-bit one and the 32-bit one, whose names carry
the stdcall suffixes, cannot drift apart; the build must use the one for its target."""
import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import harness
from windows_target import TARGET

DEF = os.environ.get("QUENDRAL_WS2_32_DEF", "")
if not DEF or not os.path.exists(DEF):
    harness.skip("QUENDRAL_WS2_32_DEF does not name the target's .def in Quendral/")
FOLDER = os.path.dirname(DEF)
DLLTOOL = shutil.which("llvm-dlltool-14") or shutil.which("llvm-dlltool")
if DLLTOOL is None:
    harness.skip("llvm-dlltool not found (Debian package llvm-14)")

# What pe_test checks in the exe and against Wine's ws2_32.dll, as the import library says it.
SOCKETS_ORDINALS = {b"WSAStartup": 115, b"WSACleanup": 116, b"gethostname": 57,
                    b"gethostbyname": 52, b"gethostbyaddr": 51, b"inet_ntoa": 12}
# The bytes of each call's arguments on 32-bit x86, where a stdcall name ends in them:
# WSAStartup(WORD, LPWSADATA) takes two 4-byte slots, and so on.
ARGUMENT_BYTES = {b"WSAStartup": 8, b"WSACleanup": 0, b"gethostname": 8, b"gethostbyname": 4,
                  b"gethostbyaddr": 12, b"inet_ntoa": 4}
IMAGE_FILE_MACHINE_AMD64 = 0x8664
IMAGE_FILE_MACHINE_I386 = 0x14C
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


def x64_name(call):
    return call


def x86_name(call):
    """The compiler's name of a 32-bit stdcall function: an underscore, and the @ suffix."""
    return b"_%s@%d" % (call, ARGUMENT_BYTES[call])


# Each .def in Quendral/: llvm-dlltool's options for it, the machine of its import objects and
# the symbol each call gets. The 32-bit one with -k, as the build makes its library: the
# exports lose their suffixes, the symbols the programs link against keep them.
DEFINITIONS = {
    "ws2_32.def": (["-m", "i386:x86-64"], IMAGE_FILE_MACHINE_AMD64, x64_name),
    "ws2_32_x86.def": (["-m", "i386", "-k"], IMAGE_FILE_MACHINE_I386, x86_name),
}


class ModuleDefinition(unittest.TestCase):
    def test_ordinal_imports_in_msvc_format(self):
        for name, (options, machine, symbol) in DEFINITIONS.items():
            with self.subTest(definition=name), tempfile.TemporaryDirectory() as folder:
                library = os.path.join(folder, "ws2_32_ordinal.lib")
                done = subprocess.run([DLLTOOL, *options, "-d", os.path.join(FOLDER, name),
                                       "-l", library],
                                      stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                      timeout=60)
                self.assertEqual(0, done.returncode, done.stdout.decode(errors="replace"))
                with open(library, "rb") as f:
                    found = short_imports(f.read())
                self.assertEqual({symbol(call): (b"WS2_32.dll", ordinal, IMPORT_OBJECT_CODE,
                                                 IMPORT_OBJECT_ORDINAL, machine)
                                  for call, ordinal in SOCKETS_ORDINALS.items()}, found)

    def test_build_uses_the_targets_definition(self):
        self.assertEqual(TARGET.ws2_32_def, os.path.basename(DEF))


if __name__ == "__main__":
    harness.main()
