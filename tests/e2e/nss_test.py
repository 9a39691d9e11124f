"""The real binary against the C library's resolver, fed a hosts file of the test's own."""
import subprocess

import harness
from harness import header, not_found
from hosts_fixture import ALPHA, LOCAL, LONE, HostsFileTest

if harness.NSS_WRAPPER is None:
    harness.skip(harness.NSS_WRAPPER_MISSING)
TOOL = harness.tool()


class NssReport(HostsFileTest):
    def run_tool(self, *arguments, stdout=subprocess.PIPE):
        done = harness.run_tool(arguments, env=harness.nss_environment(self.hosts),
                                stdout=stdout, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual(b"", done.stderr, "nothing goes to standard error")
        return done.returncode, done.stdout

    def test_reports(self):
        cases = [
            ("several addresses, an alias and mismatches", ["alpha.test"],
             header(b"alpha.test") + ALPHA),
            ("one address that comes back", ["lone.test"], header(b"lone.test") + LONE),
            ("an unknown host", ["unknown.test"], not_found(b"unknown.test")),
            ("no argument: the local computer", [], LOCAL),
            ("three arguments: the first only", ["lone.test", "alpha.test", "x"],
             header(b"lone.test") + LONE),
            ("a dash is a host name", ["-lone.test"], not_found(b"-lone.test")),
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
