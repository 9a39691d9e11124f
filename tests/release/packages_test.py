"""The release's Linux packages against the rules of the systems they install on: Debian policy
(lintian), the hardening a distribution expects of a binary, RPM's rules (rpmlint), an install
into an RPM root, and a SHA256SUMS that names and checks every package. QUENDRAL_DIST names
the dist/ folder that packaging/release.sh wrote."""
import glob
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import harness  # noqa: E402
import release_env  # noqa: E402

DIST = release_env.dist()
VERSION = release_env.VERSION
DEB = os.path.join(DIST, "quendral_%s_amd64.deb" % VERSION)
RPM = os.path.join(DIST, "quendral-%s-1.x86_64.rpm" % VERSION)
PACKAGES = ["quendral-%s-1.x86_64.rpm" % VERSION, "quendral-%s-win64.msi" % VERSION,
            "quendral-%s-win64.zip" % VERSION, "quendral_%s_amd64.deb" % VERSION]
release_env.need({"lintian": "lintian", "hardening-check": "devscripts", "rpm": "rpm",
                  "rpmlint": "rpmlint", "dpkg-deb": "dpkg-dev"})

# The informational tags lintian may still print, each a considered choice:
# - .comment holds the compilers' names, from the C library's start files as well as ours; a
#   plain strip keeps it, and it is a hundred bytes.
ALLOWED_INFO = {"binary-has-unneeded-section"}
# RHEL 9's C library, the oldest of the RPM distributions the package is for.
OLDEST_GLIBC = (2, 34)


def run(command, **options):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          timeout=300, **options)


def output(command):
    done = run(command)
    if done.returncode != 0:
        raise AssertionError("%s failed:\n%s" % (" ".join(command), done.stdout.decode()))
    return done.stdout.decode()


class Debian(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.root = cls.folder.name
        output(["dpkg-deb", "-x", DEB, cls.root])

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_lintian_pedantic_has_no_error_or_warning(self):
        done = run(["lintian", "--pedantic", "--display-info", DEB])
        report = done.stdout.decode()
        tags = re.findall(r"^([A-Z]): quendral[^:]*: (\S+)", report, re.MULTILINE)
        bad = [tag for tag in tags if tag[0] in "EW"]
        self.assertEqual([], bad, "the .deb breaks Debian policy (lintian):\n" + report)
        info = {name for level, name in tags if level in "IP"}
        self.assertLessEqual(info, ALLOWED_INFO, "the .deb has new lintian notes:\n" + report)

    def test_doc_folder_and_description(self):
        doc = os.path.join(self.root, "usr/share/doc/quendral")
        with open(os.path.join(doc, "copyright")) as f:
            copyright_file = f.read()
        self.assertTrue(copyright_file.startswith("Format: https://www.debian.org/doc/"
                                                  "packaging-manuals/copyright-format/1.0/\n"),
                        ".deb: the copyright file is in the machine-readable format")
        with gzip.open(os.path.join(doc, "changelog.gz"), "rt") as f:
            self.assertTrue(f.readline().startswith("quendral (%s) " % VERSION),
                            ".deb: the changelog's newest entry is this version")
        self.assertTrue(os.path.exists(os.path.join(self.root, "usr/share/man/man1/quendral.1.gz")))
        description = output(["dpkg-deb", "-f", DEB, "Description"])
        wide = [line for line in description.splitlines() if len(line) > 80]
        self.assertEqual([], wide, ".deb: description lines fit 80 columns")
        self.assertRegex(output(["dpkg-deb", "-f", DEB, "Depends"]).strip(),
                         r"^libc6 \(>= 2\.[0-9]+\)$", ".deb: Depends from dpkg-shlibdeps")

    def test_binary_is_hardened(self):
        # Control-flow protection is left out: the C library's start files on Debian 12 carry
        # no IBT/SHSTK marks, so no binary linked against them has the property.
        binary = os.path.join(self.root, "usr/bin/quendral")
        done = run(["hardening-check", "--nocfprotection", binary])
        report = done.stdout.decode()
        self.assertEqual(0, done.returncode, ".deb: the binary lacks hardening:\n" + report)
        for feature in ("Position Independent Executable", "Stack protected",
                        "Fortify Source functions", "Read-only relocations",
                        "Immediate binding"):
            self.assertRegex(report, r"\n %s: yes" % feature, ".deb: " + feature)


class Rpm(unittest.TestCase):
    def query(self, tag):
        return output(["rpm", "-qp", "--qf", "%%{%s}" % tag, RPM])

    def test_rpmlint_has_no_error_but_the_signature(self):
        report = run(["rpmlint", RPM]).stdout.decode()
        errors = re.findall(r"^quendral\.x86_64: E: (\S+)", report, re.MULTILINE)
        self.assertEqual(["no-signature"], errors, "the .rpm breaks RPM rules (rpmlint):\n"
                         + report)

    def test_fields_and_files(self):
        epoch = release_env.source_date_epoch()
        self.assertEqual(
            {"Group": "Applications/System", "Packager": "Zemblor Systems Inc. "
             "<quendral@zemblor.example>", "Buildhost": "reproducible",
             "Buildtime": str(epoch), "Version": VERSION, "Arch": "x86_64"},
            {tag: self.query(tag) for tag in ("Group", "Packager", "Buildhost", "Buildtime",
                                              "Version", "Arch")}, ".rpm: header fields")
        files = output(["rpm", "-qpl", RPM]).split()
        self.assertEqual(["/usr/bin/quendral", "/usr/share/doc/quendral",
                          "/usr/share/doc/quendral/changelog.gz",
                          "/usr/share/doc/quendral/copyright",
                          "/usr/share/man/man1/quendral.1.gz"], files, ".rpm: files")
        times = set(output(["rpm", "-qp", "--qf", "[%{FILEMTIMES}\n]", RPM]).split())
        self.assertEqual({str(epoch)}, times, ".rpm: file times are the commit's")

    def test_needs_no_newer_glibc_than_rhel_9(self):
        needed = re.findall(r"GLIBC_([0-9]+)\.([0-9]+)",
                            output(["rpm", "-qp", "--requires", RPM]))
        newest = max((int(major), int(minor)) for major, minor in needed)
        self.assertLessEqual(newest, OLDEST_GLIBC,
                             ".rpm: needs glibc %d.%d; the README promises %d.%d"
                             % (newest + OLDEST_GLIBC))

    def test_installs_runs_verifies_and_erases(self):
        with tempfile.TemporaryDirectory() as root:
            # --nodeps: the root holds no C library of its own; the binary runs on this one's.
            output(["rpm", "--root", root, "-i", "--nodeps", RPM])
            self.assertEqual("", output(["rpm", "--root", root, "-V", "--nodeps", "quendral"]),
                             ".rpm: the installed files are as packaged")
            hosts = os.path.join(root, "hosts")
            with open(hosts, "w") as f:
                f.write("192.0.2.10 alpha.test\n")
            done = subprocess.run([os.path.join(root, "usr/bin/quendral"), "alpha.test"],
                                  stdout=subprocess.PIPE, timeout=60,
                                  env=harness.nss_environment(hosts))
            expected = (harness.header(b"alpha.test") + harness.entry(b"alpha.test")
                        + harness.line(b"192.0.2.10", b"alpha.test", b"+") + b"\r")
            self.assertEqual((0, expected), (done.returncode, done.stdout),
                             ".rpm: the installed binary reports")
            output(["rpm", "--root", root, "-e", "quendral"])
            self.assertFalse(os.path.exists(os.path.join(root, "usr/bin/quendral")))


class Checksums(unittest.TestCase):
    def test_sha256sums_names_and_checks_every_package(self):
        with open(os.path.join(DIST, "SHA256SUMS")) as f:
            names = sorted(line.split(None, 1)[1].strip() for line in f)
        self.assertEqual(sorted(PACKAGES), names, "SHA256SUMS names every package")
        self.assertEqual(sorted(PACKAGES + ["SHA256SUMS"]), sorted(os.listdir(DIST)),
                         "dist/ holds the packages and SHA256SUMS, nothing else")
        done = run(["sha256sum", "--strict", "-c", "SHA256SUMS"], cwd=DIST)
        self.assertEqual(0, done.returncode, done.stdout.decode())


if __name__ == "__main__":
    if not harness.NSS_WRAPPER:
        harness.skip(harness.NSS_WRAPPER_MISSING)
    harness.main()
