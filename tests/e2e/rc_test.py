"""The version resource script in the dialect of rc.exe: llvm-rc, which takes rc.exe's syntax
and options, must compile it to the same version block that windres put into the exe."""
import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import harness

try:
    import pefile
except ImportError:
    harness.skip("pefile not found (Debian package python3-pefile, run with /usr/bin/python3)")

EXE = harness.tool()
SCRIPT = os.environ.get("QUENDRAL_RC", "")
if not SCRIPT or not os.path.exists(SCRIPT):
    harness.skip("QUENDRAL_RC does not name the configured resource script")
RC = shutil.which("llvm-rc-14") or shutil.which("llvm-rc")
if RC is None:
    harness.skip("llvm-rc not found (Debian package llvm-14)")
# llvm-rc runs the script through clang's preprocessor, looked for beside it or on the PATH.
if not (os.path.exists(os.path.join(os.path.dirname(os.path.realpath(RC)), "clang")) or
        shutil.which("clang")):
    harness.skip("clang not found for llvm-rc's preprocessing (Debian package clang-14)")
INCLUDE = os.environ.get("QUENDRAL_RC_INCLUDE", "/usr/share/mingw-w64/include")

RT_VERSION = 16


def resources(res):
    """The entries of a compiled .res file: (type, name, language) -> data."""
    found = {}
    offset = 0
    while offset + 8 <= len(res):
        data_size, header_size = struct.unpack_from("<II", res, offset)
        header = res[offset + 8:offset + header_size]
        ids = []
        at = 0
        for _ in range(2):  # type, then name: a number after 0xFFFF, or a terminated string
            if header[at:at + 2] == b"\xff\xff":
                ids.append(struct.unpack_from("<H", header, at + 2)[0])
                at += 4
            else:
                end = header.index(b"\0\0", at)
                end += (end - at) % 2  # on a character boundary
                ids.append(header[at:end].decode("utf-16-le"))
                at = end + 2
        language = struct.unpack_from("<H", header, len(header) - 10)[0]
        start = offset + header_size
        found[(ids[0], ids[1], language)] = res[start:start + data_size]
        offset = (start + data_size + 3) // 4 * 4
    return found


class RcDialect(unittest.TestCase):
    def test_same_version_block_as_the_exe(self):
        with tempfile.TemporaryDirectory() as folder:
            compiled = os.path.join(folder, "quendral.res")
            # "--" ends the options: llvm-rc reads a path such as "/check/..." as its /C option.
            done = subprocess.run([RC, "/I", INCLUDE, "/FO", compiled, "--", SCRIPT],
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
            self.assertEqual(0, done.returncode, done.stdout.decode(errors="replace"))
            with open(compiled, "rb") as f:
                from_rc = resources(f.read())

        pe = pefile.PE(EXE)
        in_exe = {}
        for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
            for name in kind.directory.entries:
                for language in name.directory.entries:
                    entry = language.data.struct
                    in_exe[(kind.id, name.id, language.id)] = pe.get_data(entry.OffsetToData,
                                                                          entry.Size)
        version = {key: data for key, data in in_exe.items() if key[0] == RT_VERSION}
        self.assertEqual(1, len(version), "one version resource in the exe")
        self.assertEqual(version, {key: data for key, data in from_rc.items()
                                   if key[0] == RT_VERSION})


if __name__ == "__main__":
    harness.main()
