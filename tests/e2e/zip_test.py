"""The zip for Windows: the exe with its version resource and a readme, nothing else."""
import os
import tempfile
import unittest
import zipfile

import harness
import package_check
from windows_target import TARGET

try:
    import pefile
except ImportError:
    harness.skip("pefile not found (Debian package python3-pefile, run with /usr/bin/python3)")

VERSION = os.environ.get("QUENDRAL_VERSION", "")
if not VERSION:
    harness.skip("QUENDRAL_VERSION does not give the project version")
TOP = "quendral-%s-%s/" % (VERSION, TARGET.zip_system)


class WindowsZip(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        path = package_check.make_package("ZIP", cls.folder.name)
        cls.name = os.path.basename(path)
        with zipfile.ZipFile(path) as archive:
            cls.files = {info.filename: archive.read(info) for info in archive.infolist()
                         if not info.is_dir()}

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_contents(self):
        self.assertEqual("quendral-%s-%s.zip" % (VERSION, TARGET.zip_system), self.name)
        self.assertEqual({TOP + "quendral.exe", TOP + "README-windows.txt"}, set(self.files))

    def test_exe_is_the_tool(self):
        pe = pefile.PE(data=self.files[TOP + "quendral.exe"])
        self.assertEqual(pefile.MACHINE_TYPE[TARGET.machine], pe.FILE_HEADER.Machine,
                         "the zip's exe is for the zip's Windows")
        strings = {}
        for info in pe.FileInfo[0]:
            if info.Key == b"StringFileInfo":
                for table in info.StringTable:
                    strings.update(table.entries)
        self.assertEqual((b"Quendral Application", VERSION.encode()),
                         (strings.get(b"FileDescription"), strings.get(b"FileVersion")))

    def test_readme(self):
        readme = self.files[TOP + "README-windows.txt"]
        self.assertTrue(readme.startswith(b"Quendral %s for Windows\r\n" % VERSION.encode()))
        self.assertNotIn(b"\n", readme.replace(b"\r\n", b""), "Windows line ends throughout")
        self.assertNotIn(b"@", readme, "every placeholder filled in")


if __name__ == "__main__":
    harness.main()
