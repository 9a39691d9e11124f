"""The release's Linux packages against the rules of the systems they install on: Debian policy
(lintian), the hardening a distribution expects of a binary, RPM's rules (rpmlint), an install
into an RPM root, and a SHA256SUMS that names and checks every package. QUENDRAL_DIST names
the dist/ folder that packaging/release.sh wrote."""
import collections
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
# Each Linux target: its Debian and RPM architectures, and what runs its binary here.
Target = collections.namedtuple("Target", "deb rpm multiarch")
TARGETS = [Target("amd64", "x86_64", None), Target("arm64", "aarch64", "aarch64-linux-gnu")]
# Runs another machine's binary under qemu-user, as the cross build's tests do.
QEMU_RUN = os.path.join(release_env.ROOT, "cmake", "qemu_user_run.sh")
PACKAGES = sorted(["quendral_%s_%s.deb" % (VERSION, target.deb) for target in TARGETS]
                  + ["quendral-%s-1.%s.rpm" % (VERSION, target.rpm) for target in TARGETS]
                  + ["quendral-%s-%s.%s" % (VERSION, windows, kind)
                     for windows in ("win64", "win32") for kind in ("zip", "msi")])
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


class DebianRules:
    """The .deb of one target (the class attribute target)."""

    @classmethod
    def setUpClass(cls):
        cls.deb = os.path.join(DIST, "quendral_%s_%s.deb" % (VERSION, cls.target.deb))
        cls.name = os.path.basename(cls.deb)
        cls.folder = tempfile.TemporaryDirectory()
        cls.root = cls.folder.name
        output(["dpkg-deb", "-x", cls.deb, cls.root])

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_lintian_pedantic_has_no_error_or_warning(self):
        done = run(["lintian", "--pedantic", "--display-info", self.deb])
        report = done.stdout.decode()
        tags = re.findall(r"^([A-Z]): quendral[^:]*: (\S+)", report, re.MULTILINE)
        bad = [tag for tag in tags if tag[0] in "EW"]
        self.assertEqual([], bad, "%s breaks Debian policy (lintian):\n" % self.name + report)
        info = {name for level, name in tags if level in "IP"}
        self.assertLessEqual(info, ALLOWED_INFO, "%s has new lintian notes:\n" % self.name + report)

    def test_doc_folder_and_description(self):
        doc = os.path.join(self.root, "usr/share/doc/quendral")
        with open(os.path.join(doc, "copyright")) as f:
            copyright_file = f.read()
        self.assertTrue(copyright_file.startswith("Format: https://www.debian.org/doc/"
                                                  "packaging-manuals/copyright-format/1.0/\n"),
                        "%s: the copyright file is in the machine-readable format" % self.name)
        with gzip.open(os.path.join(doc, "changelog.gz"), "rt") as f:
            self.assertTrue(f.readline().startswith("quendral (%s) " % VERSION),
                            "%s: the changelog's newest entry is this version" % self.name)
        self.assertTrue(os.path.exists(os.path.join(self.root, "usr/share/man/man1/quendral.1.gz")),
                        "%s: the manual page" % self.name)
        description = output(["dpkg-deb", "-f", self.deb, "Description"])
        wide = [line for line in description.splitlines() if len(line) > 80]
        self.assertEqual([], wide, "%s: description lines fit 80 columns" % self.name)
        self.assertRegex(output(["dpkg-deb", "-f", self.deb, "Depends"]).strip(),
                         r"^libc6 \(>= 2\.[0-9]+\)$", "%s: Depends from dpkg-shlibdeps" % self.name)

    def test_binary_is_hardened(self):
        # Control-flow protection is left out: the C library's start files on Debian 12 carry
        # no IBT/SHSTK marks, so no binary linked against them has the property.
        binary = os.path.join(self.root, "usr/bin/quendral")
        done = run(["hardening-check", "--nocfprotection", binary])
        report = done.stdout.decode()
        self.assertEqual(0, done.returncode, "%s: the binary lacks hardening:\n" % self.name + report)
        for feature in ("Position Independent Executable", "Stack protected",
                        "Fortify Source functions", "Read-only relocations",
                        "Immediate binding"):
            self.assertRegex(report, r"\n %s: yes" % feature, "%s: %s" % (self.name, feature))


class RpmRules:
    """The .rpm of one target (the class attribute target)."""

    @classmethod
    def setUpClass(cls):
        cls.rpm = os.path.join(DIST, "quendral-%s-1.%s.rpm" % (VERSION, cls.target.rpm))
        cls.name = os.path.basename(cls.rpm)

    def query(self, tag):
        return output(["rpm", "-qp", "--qf", "%%{%s}" % tag, self.rpm])

    def test_rpmlint_has_no_error_but_the_signature(self):
        report = run(["rpmlint", self.rpm]).stdout.decode()
        errors = re.findall(r"^quendral\.%s: E: (\S+)" % self.target.rpm, report, re.MULTILINE)
        self.assertEqual(["no-signature"], errors, "%s breaks RPM rules (rpmlint):\n" % self.name
                         + report)

    def test_fields_and_files(self):
        epoch = release_env.source_date_epoch()
        self.assertEqual(
            {"Group": "Applications/System", "Packager": "Zemblor Systems Inc. "
             "<quendral@zemblor.example>", "Buildhost": "reproducible",
             "Buildtime": str(epoch), "Version": VERSION, "Arch": self.target.rpm},
            {tag: self.query(tag) for tag in ("Group", "Packager", "Buildhost", "Buildtime",
                                              "Version", "Arch")}, "%s: header fields" % self.name)
        files = output(["rpm", "-qpl", self.rpm]).split()
        self.assertEqual(["/usr/bin/quendral", "/usr/share/doc/quendral",
                          "/usr/share/doc/quendral/changelog.gz",
                          "/usr/share/doc/quendral/copyright",
                          "/usr/share/man/man1/quendral.1.gz"], files, "%s: files" % self.name)
        times = set(output(["rpm", "-qp", "--qf", "[%{FILEMTIMES}\n]", self.rpm]).split())
        self.assertEqual({str(epoch)}, times, "%s: file times are the commit's" % self.name)

    def test_needs_no_newer_glibc_than_rhel_9(self):
        needed = re.findall(r"GLIBC_([0-9]+)\.([0-9]+)",
                            output(["rpm", "-qp", "--requires", self.rpm]))
        newest = max((int(major), int(minor)) for major, minor in needed)
        self.assertLessEqual(newest, OLDEST_GLIBC,
                             "%s: needs glibc %d.%d; the README promises %d.%d"
                             % ((self.name,) + newest + OLDEST_GLIBC))

    def test_installs_runs_verifies_and_erases(self):
        with tempfile.TemporaryDirectory() as root:
            # --nodeps: the root holds no C library of its own; the binary runs on this one's.
            # --ignorearch: a package for another machine, whose binary runs here emulated.
            output(["rpm", "--root", root, "-i", "--nodeps", "--ignorearch", self.rpm])
            self.assertEqual("", output(["rpm", "--root", root, "-V", "--nodeps", "quendral"]),
                             "%s: the installed files are as packaged" % self.name)
            hosts = os.path.join(root, "hosts")
            with open(hosts, "w") as f:
                f.write("192.0.2.10 alpha.test\n")
            command = [os.path.join(root, "usr/bin/quendral"), "alpha.test"]
            env = harness.nss_environment(hosts)
            if self.target.multiarch:
                arch = self.target.rpm
                command = [QEMU_RUN, arch, "/usr/%s" % self.target.multiarch] + command
                env.pop("LD_PRELOAD")
                env["QUENDRAL_TARGET_PRELOAD"] = ("/usr/lib/%s/libnss_wrapper.so"
                                                  % self.target.multiarch)
            done = subprocess.run(command, stdout=subprocess.PIPE, timeout=60, env=env)
            expected = (harness.header(b"alpha.test") + harness.entry(b"alpha.test")
                        + harness.line(b"192.0.2.10", b"alpha.test", b"+") + b"\r")
            self.assertEqual((0, expected), (done.returncode, done.stdout),
                             "%s: the installed binary reports" % self.name)
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


# One class of each kind per target, so a failure names the package.
for _target in TARGETS:
    for _rules in (DebianRules, RpmRules):
        _name = _rules.__name__.replace("Rules", "_" + _target.rpm)
        globals()[_name] = type(_name, (_rules, unittest.TestCase), {"target": _target})


if __name__ == "__main__":
    if not harness.NSS_WRAPPER:
        harness.skip(harness.NSS_WRAPPER_MISSING)
    harness.main()
