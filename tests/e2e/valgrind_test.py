"""The real binary under valgrind memcheck over the hosts-file and argument cases: no invalid
read or write, no use of an uninitialised value, no leak from the tool's own code."""
import os
import shutil
import subprocess

import harness
import bad_input_test as cases

VALGRIND = shutil.which("valgrind")
if VALGRIND is None:
    harness.skip("valgrind not found (Debian package valgrind)")
HERE = os.path.dirname(os.path.abspath(__file__))
FAILED = 99  # valgrind's status when it found an error


def command(argument, extra_suppressions=()):
    options = ["--error-exitcode=%d" % FAILED, "--leak-check=full",
               "--errors-for-leak-kinds=definite,indirect,possible",
               "--show-leak-kinds=definite,indirect,possible", "--track-origins=yes",
               "--suppressions=" + os.path.join(HERE, "valgrind.supp")]
    options += ["--suppressions=" + os.path.join(HERE, name) for name in extra_suppressions]
    return [VALGRIND, "-q", *options, cases.TOOL] + ([] if argument is None else [argument])


class Memcheck(harness.ReportTest):
    @classmethod
    def setUpClass(cls):
        cls.hosts = cases.Hosts()

    @classmethod
    def tearDownClass(cls):
        cls.hosts.cleanup()

    def check(self, argument, expected, extra_suppressions=()):
        done = subprocess.run(command(argument, extra_suppressions), env=self.hosts.env,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
        self.assertEqual(0, done.returncode, done.stderr.decode("latin-1"))
        self.assertEqual(b"", done.stderr)
        if expected is not None:
            self.assertReport(expected, done.stdout)

    def test_hosts_file_answers(self):
        for what, argument, expected in cases.NSS_CASES:
            with self.subTest(what):
                long_list = argument == b"wide.test"
                self.check(argument, expected,
                           ["valgrind_long_address_list.supp"] if long_list else [])

    def test_arguments(self):
        for what, argument in cases.ARGUMENT_CASES:
            with self.subTest(what):
                self.check(argument, harness.not_found(argument))

    def test_local_computer(self):
        self.check(None, None)


if __name__ == "__main__":
    harness.main()
