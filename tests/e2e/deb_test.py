"""The Debian package: its fields, its files, and a manual page that man shows cleanly."""
import gzip
import os
import shutil
import subprocess
import tempfile
import unittest

import harness
import package_check

VERSION = os.environ.get("QUENDRAL_VERSION", "")
if not VERSION:
    harness.skip("QUENDRAL_VERSION does not give the project version")
for program in ("dpkg-deb", "dpkg-shlibdeps", "groff"):
    if shutil.which(program) is None:
        harness.skip(program + " not found (Debian packages dpkg-dev and groff-base)")

# What the tool prints that a reader looks up in the page.
MESSAGES = [
    "WARNING: n Addresses could not be resolved back to names",
    "WARNING: n Interface Names could not be resolved back to addresses",
    "WARNING: n Interface Names did not resolve back to the correct address",
    "Failed to Initialize Winsock",
    "Failed to Lookup host entry for",
    "<Unknown>",
]


def dpkg_deb(*arguments):
    return subprocess.run(["dpkg-deb", *arguments], check=True, stdout=subprocess.PIPE,
                          timeout=60).stdout.decode()


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.deb = package_check.make_package("DEB", cls.folder.name)
        cls.root = os.path.join(cls.folder.name, "root")
        dpkg_deb("-x", cls.deb, cls.root)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def field(self, name):
        return dpkg_deb("-f", self.deb, name).strip()

    def test_control_fields(self):
        self.assertEqual(("quendral", VERSION, "quendral_%s_amd64.deb" % VERSION),
                         (self.field("Package"), self.field("Version"),
                          os.path.basename(self.deb)))
        self.assertIn("Zemblor Systems Inc.", self.field("Maintainer"))
        self.assertRegex(self.field("Depends"), r"\blibc6\b")

    def test_files(self):
        listed = {line.split()[-1]: line.split()[0] for line in
                  dpkg_deb("-c", self.deb).splitlines()}
        files = {path: mode for path, mode in listed.items() if not path.endswith("/")}
        self.assertEqual({"./usr/bin/quendral", "./usr/share/man/man1/quendral.1.gz",
                          "./usr/share/doc/quendral/copyright",
                          "./usr/share/doc/quendral/changelog.gz"}, set(files))
        self.assertEqual("-rwxr-xr-x", files["./usr/bin/quendral"])
        self.assertEqual("-rw-r--r--", files["./usr/share/man/man1/quendral.1.gz"])
        with open(os.path.join(self.root, "usr/bin/quendral"), "rb") as f:
            self.assertEqual(b"\x7fELF", f.read(4))

    def test_manual_page(self):
        with gzip.open(os.path.join(self.root, "usr/share/man/man1/quendral.1.gz")) as f:
            page = f.read()
        self.assertTrue(page.startswith(b".\\\""), "a roff page")
        self.assertIn(b'.TH QUENDRAL 1 "2026" "Quendral %s"' % VERSION.encode(), page)
        # Plain text: no bold, underline or overstrike, and lines long enough to keep each
        # message on one.
        done = subprocess.run(["groff", "-man", "-Tutf8", "-ww", "-rLL=200n", "-P-cbou"],
                              input=page,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60,
                              env=dict(os.environ, LC_ALL="C.UTF-8"))
        self.assertEqual(b"", done.stderr, "groff has no warnings")
        text = done.stdout.decode().replace("\u2010", "-").replace("\u2212", "-")
        for section in ("SYNOPSIS", "DESCRIPTION", "EXIT STATUS", "EXAMPLES"):
            self.assertIn("\n" + section + "\n", text)
        for message in MESSAGES:
            self.assertIn(message, text)


if __name__ == "__main__":
    harness.main()
