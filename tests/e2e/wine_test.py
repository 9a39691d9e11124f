"""The Windows exe under Wine against the Linux build: the same report, byte for byte, from the
same resolver answers once the console's CRLF line ends are LF again; and its exit statuses.

Wine hands gethostname, gethostbyname and gethostbyaddr to the C library of the machine, so a
fixture for the Linux build is one for the exe too, with two limits found here:
- nss_wrapper reports a failed lookup with h_errno 0, which Wine takes for success: a name or
  address it does not know comes back as an entry of stale bytes. Under nss_wrapper only
  lookups that succeed are compared.
- Wine answers gethostbyname(NULL) for the local computer with the addresses of the machine's
  network interfaces, not from the resolver; only where there are no routes does it look the
  computer's name up.
The failures and the local computer are therefore compared in namespaces of the test's own:
no network, /etc/hosts bound to the fixture, and the computer named ws01. There Wine's
gethostbyaddr gives what the C library's does: the first name on the address's hosts line.
"""
import collections
import os
import subprocess
import sys
import unittest

import harness
from harness import header, not_found
from hosts_fixture import ALPHA, LOCAL, LONE, HostsFileTest
from windows_target import ARCH
from wine_env import EXE, NATIVE, PREFIX, WINESERVER, wine_command

REFUSED = os.environ.get("QUENDRAL_REFUSED", "")
# 32-bit Wine is a 32-bit process and takes a 32-bit nss_wrapper, while the runner, qemu and
# the Linux build take the machine's own: the loader's $LIB names each one's multiarch folder.
if ARCH == "i686":
    NSS_WRAPPER_32 = "/usr/lib/i386-linux-gnu/libnss_wrapper.so"
    NSS_WRAPPER = ("/usr/$LIB/libnss_wrapper.so"
                   if harness.NSS_WRAPPER and os.path.exists(NSS_WRAPPER_32) else None)
    NSS_WRAPPER_MISSING = ("libnss_wrapper.so not found for both widths (Debian packages "
                           "libnss-wrapper and libnss-wrapper:i386)")
else:
    NSS_WRAPPER = harness.NSS_WRAPPER
    NSS_WRAPPER_MISSING = harness.NSS_WRAPPER_MISSING
# Used only inside the namespaces below: its wineserver, and the services that tell Wine the
# machine's interfaces, must not live in the machine's own network.
ISOLATED_PREFIX = PREFIX + "-isolated"

# Only the C library's files backend can fail a lookup under Wine; see above.
NO_REVERSE = (b"Host Name:      192.0.2.77\nAddress Type:   2\nAddress Length: 4\n"
              b"Aliases:            \n\rAddresses:      192.0.2.77       <Unknown>"
              b"\n                \rWARNING: 1 Addresses could not be resolved back to names\n")


class Fixture(HostsFileTest):
    def run_both(self, arguments):
        """Runs the Linux build and the exe alike; returns their statuses and outputs."""
        native = self.launch(NATIVE, arguments)
        windows = self.launch(EXE, arguments)
        self.assertNotIn(b"\n", windows.stdout.replace(b"\r\n", b""),
                         "every line ends in CRLF on Windows")
        return native, windows._replace(stdout=harness.from_console(windows.stdout))

    def check_cases(self, cases):
        for what, arguments, expected in cases:
            with self.subTest(what):
                native, windows = self.run_both(arguments)
                self.assertReport(expected, native.stdout)
                self.assertReport(native.stdout, windows.stdout)
                self.assertEqual((0, 0), (native.status, windows.status))


Run = collections.namedtuple("Run", "status stdout")


def run_program(command, env, stdout=subprocess.PIPE):
    done = subprocess.run(command, env=env, stdout=stdout, stderr=subprocess.PIPE, timeout=300)
    return Run(done.returncode, done.stdout)


@unittest.skipIf(NSS_WRAPPER is None, NSS_WRAPPER_MISSING)
class NssWrapperHostsFile(Fixture):
    """nss_wrapper preloaded into Wine as into the Linux build: lookups that succeed."""

    def environment(self):
        return dict(harness.nss_environment(self.hosts), LD_PRELOAD=NSS_WRAPPER)

    def launch(self, program, arguments, stdout=subprocess.PIPE):
        return run_program(wine_command(PREFIX, program) + arguments, self.environment(),
                           stdout)

    def test_same_report(self):
        self.check_cases([
            ("several addresses, an alias and mismatches", ["alpha.test"],
             header(b"alpha.test") + ALPHA),
            ("one address that comes back", ["lone.test"], header(b"lone.test") + LONE),
            ("three arguments: the first only", ["lone.test", "alpha.test", "x"],
             header(b"lone.test") + LONE),
        ])

    def test_output_that_cannot_be_written_exits_1(self):
        with open("/dev/full", "wb") as full:
            self.assertEqual(1, self.launch(EXE, ["alpha.test"], stdout=full).status)


def can_unshare():
    try:
        return subprocess.run(["unshare", "-n", "-m", "-u", "true"], stderr=subprocess.DEVNULL,
                              timeout=60).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


# Inside the namespaces: the computer is ws01, /etc/hosts is the fixture, and no network.
IN_NAMESPACE = 'hostname ws01 && mount --bind "$1" /etc/hosts && shift && exec "$@"'


@unittest.skipUnless(can_unshare(), "needs root for network, mount and host-name namespaces")
class IsolatedHostsFile(Fixture):
    """The C library's own files backend on a machine without network, failures included."""

    @classmethod
    def tearDownClass(cls):
        # The prefix's wineserver would linger a few seconds: stop it with the test.
        subprocess.run([WINESERVER, "-k"], env=dict(os.environ, WINEPREFIX=ISOLATED_PREFIX),
                       stderr=subprocess.DEVNULL, timeout=60)
        super().tearDownClass()

    def launch(self, program, arguments, stdout=subprocess.PIPE):
        command = ["unshare", "-n", "-m", "-u", "sh", "-c", IN_NAMESPACE, "sh", self.hosts]
        return run_program(command + wine_command(ISOLATED_PREFIX, program) + arguments,
                           dict(os.environ), stdout)

    def test_same_report(self):
        self.check_cases([
            ("several addresses, an alias and mismatches", ["alpha.test"],
             header(b"alpha.test") + ALPHA),
            ("no argument: the local computer", [],
             LOCAL),
            ("an unknown host", ["unknown.test"], not_found(b"unknown.test")),
            ("a dotted address without a reverse entry", ["192.0.2.77"],
             header(b"192.0.2.77") + NO_REVERSE),
            ("a dash is a host name", ["-lone.test"], not_found(b"-lone.test")),
        ])


class ExitStatus(unittest.TestCase):
    def test_refused_startup_exits_minus_1(self):
        if not REFUSED or not os.path.exists(REFUSED):
            self.fail("QUENDRAL_REFUSED does not name the refused start-up exe")
        run = run_program(wine_command(PREFIX, REFUSED) + ["alpha.test"], dict(os.environ))
        self.assertEqual(harness.BANNER + b"Failed to Initialize Winsock\n",
                         harness.from_console(run.stdout))
        # -1 from main is exit code 0xFFFFFFFF on Windows; Wine hands its low byte to Linux.
        self.assertEqual(255, run.status)


if __name__ == "__main__":
    # A class skipped for want of root or nss_wrapper skips the whole test for CTest, so that
    # a run that must skip nothing sees it.
    harness.say_target()
    result = unittest.main(exit=False, verbosity=2).result
    if not result.wasSuccessful():
        sys.exit(1)
    if result.skipped:
        harness.skip("; ".join(sorted({reason for _, reason in result.skipped})))
    sys.exit(0)
