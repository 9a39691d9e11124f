"""The real binary against the C library's resolver, fed a hosts file of the test's own."""
import os
import subprocess
import tempfile

import harness

WRAPPER = harness.find_library("libnss_wrapper.so")
if WRAPPER is None:
    harness.skip("libnss_wrapper.so not found (Debian package libnss-wrapper)")
TOOL = harness.tool()

# alpha.test has three lines, so its entry has three addresses; each address's reverse name is
# the first name on its line, so .11 and .12 come back as alpha.test, whose first address is .10.
HOSTS = b"""\
192.0.2.10 alpha.test alpha-srv.test
192.0.2.11 alpha.test
192.0.2.12 alpha.test
198.51.100.5 ws01 ws01.test
203.0.113.7 lone.test
"""

ALPHA = (harness.BANNER +
         b"ws01 looking up host info for alpha.test\n"
         b"Host Name:      alpha.test\n"
         b"Address Type:   2\n"
         b"Address Length: 4\n"
         b"Aliases:            \n"
         b"alpha-srv.test\n                    "
         b"\r"
         b"Addresses:      "
         b"192.0.2.10       alpha.test                               +"
         b"\n                "
         b"192.0.2.11       alpha.test                               - 192.0.2.10       "
         b"\n                "
         b"192.0.2.12       alpha.test                               - 192.0.2.10       "
         b"\n                "
         b"\r"
         b"WARNING: 2 Interface Names did not resolve back to the correct address\n")


def local_report(header_name, host_line, failure_name=None):
    head = harness.BANNER + header_name
    if failure_name is not None:
        return head + b"Failed to Lookup host entry for " + failure_name + b"\n"
    return head + host_line


class NssReport(harness.ReportTest):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.hosts = os.path.join(cls.folder.name, "hosts")
        with open(cls.hosts, "wb") as f:
            f.write(HOSTS)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def run_tool(self, *arguments, stdout=subprocess.PIPE):
        env = dict(os.environ, LD_PRELOAD=WRAPPER, NSS_WRAPPER_HOSTS=self.hosts,
                   NSS_WRAPPER_HOSTNAME="ws01")
        done = subprocess.run([TOOL, *arguments], env=env, stdout=stdout,
                              stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(b"", done.stderr, "nothing goes to standard error")
        return done.returncode, done.stdout

    def test_reports(self):
        lone = (b"Host Name:      lone.test\nAddress Type:   2\nAddress Length: 4\n"
                b"Aliases:            \n\rAddresses:      "
                b"203.0.113.7      lone.test                                +"
                b"\n                \r")
        ws01 = (b"Host Name:      ws01\nAddress Type:   2\nAddress Length: 4\n"
                b"Aliases:            \nws01.test\n                    \rAddresses:      "
                b"198.51.100.5     ws01                                     +"
                b"\n                \r")
        cases = [
            ("several addresses, an alias and mismatches", ["alpha.test"], ALPHA),
            ("one address that comes back", ["lone.test"],
             harness.BANNER + b"ws01 looking up host info for lone.test\n" + lone),
            ("an unknown host", ["unknown.test"],
             harness.BANNER + b"ws01 looking up host info for unknown.test\n"
             b"Failed to Lookup host entry for unknown.test\n"),
            ("no argument: the local computer", [],
             harness.BANNER + b"Looking up Local Host info for ws01\n" + ws01),
            ("three arguments: the first only", ["lone.test", "alpha.test", "x"],
             harness.BANNER + b"ws01 looking up host info for lone.test\n" + lone),
            ("a dash is a host name", ["-lone.test"],
             harness.BANNER + b"ws01 looking up host info for -lone.test\n"
             b"Failed to Lookup host entry for -lone.test\n"),
        ]
        for what, arguments, expected in cases:
            with self.subTest(what):
                status, output = self.run_tool(*arguments)
                self.assertReport(expected, output)
                self.assertEqual(0, status)

    def test_output_that_cannot_be_written_exits_1(self):
        with open("/dev/full", "wb") as full:
            status, _ = self.run_tool("alpha.test", stdout=full)
        self.assertEqual(1, status)


if __name__ == "__main__":
    harness.main()
