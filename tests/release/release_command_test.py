"""The release command itself: what it refuses before building (a dirty tree, signing variables
that name no readable file, an unknown option), a failed step that leaves the dist/ folder as it
was, and Authenticode signing with a throwaway certificate made here, checked with
osslsigncode. QUENDRAL_DIST names the dist/ folder of a clean clone's release."""
import glob
import hashlib
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
import release_env  # noqa: E402

DIST = release_env.dist()
CLONE = os.path.dirname(os.path.abspath(DIST))
VERSION = release_env.VERSION
release_env.need({"osslsigncode": "osslsigncode", "openssl": "openssl", "git": "git",
                  "msiextract": "msitools"})
SIGNING = ("QUENDRAL_SIGN_CERT", "QUENDRAL_SIGN_KEY", "QUENDRAL_SIGN_PASS_FILE",
           "QUENDRAL_SIGN_TIMESTAMP")


def release(clone, arguments=(), **variables):
    env = {name: value for name, value in os.environ.items() if name not in SIGNING}
    env.update(variables)
    return subprocess.run(["bash", "packaging/release.sh", *arguments], cwd=clone, env=env,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=1200)


def snapshot(folder):
    """Every file of folder with its digest, and the scratch folders the release left."""
    files = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            files[name] = hashlib.sha256(f.read()).hexdigest()
    leftovers = [name for name in os.listdir(os.path.dirname(folder))
                 if name.startswith(".dist-new")]
    return files, leftovers


def verify(path):
    """osslsigncode's verdict on path's Authenticode signature, against the test's own CA."""
    return subprocess.run(["osslsigncode", "verify", "-CAfile", Signing.cert, "-in", path],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)


class Refusals(unittest.TestCase):
    """Each refused before anything is built, and dist/ stays as it was."""

    def check_refused(self, expected, arguments=(), **variables):
        before = snapshot(DIST)
        done = release(CLONE, arguments, **variables)
        text = done.stdout.decode(errors="replace")
        self.assertNotEqual(0, done.returncode, "release: refused\n" + text)
        self.assertIn(expected, text, "release: says why")
        self.assertEqual(before, snapshot(DIST), "release: dist/ untouched, no scratch left")

    def test_signing_variables_naming_no_readable_file(self):
        with tempfile.TemporaryDirectory() as folder:
            cases = [
                ("a missing certificate", {"QUENDRAL_SIGN_CERT": folder + "/missing.pem",
                                           "QUENDRAL_SIGN_KEY": folder},
                 "QUENDRAL_SIGN_CERT names '%s/missing.pem'" % folder),
                ("a folder for a key", {"QUENDRAL_SIGN_CERT": DIST + "/SHA256SUMS",
                                        "QUENDRAL_SIGN_KEY": folder},
                 "QUENDRAL_SIGN_KEY names '%s', which is not a readable file" % folder),
                ("a certificate without a key", {"QUENDRAL_SIGN_CERT": DIST + "/SHA256SUMS"},
                 "QUENDRAL_SIGN_CERT is set but QUENDRAL_SIGN_KEY is not"),
                ("a missing passphrase file", {"QUENDRAL_SIGN_CERT": DIST + "/SHA256SUMS",
                                               "QUENDRAL_SIGN_KEY": DIST + "/SHA256SUMS",
                                               "QUENDRAL_SIGN_PASS_FILE": folder + "/none"},
                 "QUENDRAL_SIGN_PASS_FILE names"),
            ]
            for what, variables, expected in cases:
                with self.subTest(what):
                    self.check_refused(expected, **variables)

    def test_dirty_tree_and_unknown_option(self):
        self.check_refused("unknown argument '--sign'", ["--sign"])
        stray = os.path.join(CLONE, "stray.txt")
        with open(stray, "w") as f:
            f.write("not committed\n")
        try:
            self.check_refused("uncommitted changes")
        finally:
            os.remove(stray)


class Signing(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        folder = cls.folder.name
        cls.cert, cls.key = folder + "/cert.pem", folder + "/key.pem"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=Quendral throwaway test signer", "-addext",
                        "extendedKeyUsage=codeSigning", "-keyout", cls.key, "-out", cls.cert],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
        cls.clone = folder + "/clone"
        subprocess.run(["git", "clone", "-q", CLONE, cls.clone], check=True, timeout=60)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_a_key_that_cannot_sign_leaves_no_dist(self):
        with open(self.folder.name + "/not-a-key.pem", "w") as f:
            f.write("not a key\n")
        done = release(self.clone, QUENDRAL_SIGN_CERT=self.cert,
                       QUENDRAL_SIGN_KEY=self.folder.name + "/not-a-key.pem")
        self.assertNotEqual(0, done.returncode, "release: fails with a key that cannot sign")
        self.assertIn(b"signing quendral.exe failed", done.stdout)
        self.assertFalse(os.path.exists(self.clone + "/dist"), "release: no partial dist/")

    def test_signs_the_exe_before_packing_and_the_msi(self):
        done = release(self.clone, QUENDRAL_SIGN_CERT=self.cert, QUENDRAL_SIGN_KEY=self.key)
        self.assertEqual(0, done.returncode, done.stdout.decode(errors="replace"))
        signed = self.clone + "/dist"
        for windows in ("win64", "win32"):
            with self.subTest(windows):
                self.check_signed(signed, windows)
        # Signing changes the Windows packages only; without a key they stay unsigned.
        for name in sorted(os.listdir(DIST)):
            if name.endswith((".deb", ".rpm")):
                with open(os.path.join(signed, name), "rb") as a, \
                        open(os.path.join(DIST, name), "rb") as b:
                    self.assertEqual(a.read(), b.read(), name + " is the unsigned release's")
        self.assertNotEqual(0, verify("%s/quendral-%s-win64.msi" % (DIST, VERSION)).returncode,
                            "the release without a key signs nothing")

    def check_signed(self, signed, windows):
        """The zip and the MSI of one Windows target carry the same signed exe, and the MSI is
        signed itself."""
        package = "quendral-%s-%s" % (VERSION, windows)
        work = os.path.join(self.folder.name, windows)
        with zipfile.ZipFile("%s/%s.zip" % (signed, package)) as archive:
            from_zip = archive.read(package + "/quendral.exe")
        msi = "%s/%s.msi" % (signed, package)
        subprocess.run(["msiextract", "-C", work, msi], check=True, stdout=subprocess.DEVNULL,
                       timeout=60)
        packed = glob.glob(work + "/**/quendral.exe", recursive=True)
        self.assertEqual(1, len(packed), "%s.msi packs one quendral.exe" % package)
        with open(packed[0], "rb") as f:
            self.assertEqual(from_zip, f.read(), "%s: the same exe in the zip and the MSI"
                             % package)
        exe = os.path.join(work, "from-zip.exe")
        with open(exe, "wb") as f:
            f.write(from_zip)
        for what, path in (("quendral.exe", exe), ("the MSI", msi)):
            result = verify(path)
            self.assertEqual(0, result.returncode, "%s: signing: %s verifies:\n%s"
                             % (package, what, result.stdout.decode(errors="replace")))
            self.assertIn(b"Quendral throwaway test signer", result.stdout)


if __name__ == "__main__":
    harness.main()
