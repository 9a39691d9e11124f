"""The real binary against hostile input: odd arguments, a hosts file full of control bytes and
long lists, and standard output that cannot be written. No crash, no signal, the stated exit
status, and never a raw control byte from a name in the report."""
import os
import signal
import subprocess
import tempfile

import harness
from harness import entry, header, line, not_found, other

if harness.NSS_WRAPPER is None:
    harness.skip(harness.NSS_WRAPPER_MISSING)
TOOL = harness.tool()

# nss_wrapper splits a hosts line at blanks, tabs, CR, VT and FF and folds names to lower case;
# every other control byte reaches the report inside a name. A CR reaches it through the
# argument instead.
CONTROL_NAME = b"esc\x1b[2j.test"
CONTROL_ALIASES = [b"bel\x07.test", b"del\x7f.test", b"soh\x01.test",
                   b"ctl" + bytes([2, 3, 4, 5, 6, 8, 0x0e, 0x0f, 0x10, 0x1b, 0x1f]) + b".test"]
LONG_NAME = b"n" * 300 + b".test"  # its reverse name is cut to 255 bytes, which is unknown
ALIASES = [b"alias-%04d-with-a-name-long-enough-to-fill-a-pipe.test" % i for i in range(2000)]
WIDE = ([b"192.0.2.%d" % i for i in range(100, 250)] +
        [b"198.51.100.%d" % i for i in range(10, 250)] +
        [b"203.0.113.%d" % i for i in range(10, 120)])  # 500 addresses of wide.test

HOSTS = (b"198.51.100.5 ws01 ws01.test\n"
         b"203.0.113.1 " + CONTROL_NAME + b" " + b" ".join(CONTROL_ALIASES) + b"\n"
         b"203.0.113.2 " + LONG_NAME + b"\n"
         b"203.0.113.3 many.test " + b" ".join(ALIASES) + b"\n" +
         b"".join(address + b" wide.test\n" for address in WIDE))


def found(name, aliases, lines, warnings=b""):
    """The report on a host the hosts file knows: its fields, then its address lines."""
    return header(name) + entry(name, aliases) + b"".join(lines) + b"\r" + warnings


MISMATCH = other(WIDE[0])

# The cases that go through the hosts file: (what, argument, expected report or None for the
# checks below only). The memory checks run the same table.
NSS_CASES = [
    ("names with control bytes", CONTROL_NAME,
     found(CONTROL_NAME, CONTROL_ALIASES, [line(b"203.0.113.1", CONTROL_NAME, b"+")])),
    ("a 300-byte name, cut to 255 when it comes back in reverse", LONG_NAME,
     found(LONG_NAME, [], [line(b"203.0.113.2", LONG_NAME[:255], b"???")],
           b"WARNING: 1 Interface Names could not be resolved back to addresses\n")),
    ("2,000 aliases", b"many.test",
     found(b"many.test", ALIASES, [line(b"203.0.113.3", b"many.test", b"+")])),
    ("500 addresses", b"wide.test",
     found(b"wide.test", [],
           [line(WIDE[0], b"wide.test", b"+")] +
           [line(address, b"wide.test", MISMATCH) for address in WIDE[1:]],
           b"WARNING: 499 Interface Names did not resolve back to the correct address\n")),
    ("a CR, ESC and BEL in the argument", b"cr\rx\x1b[2J\x07.test",
     not_found(b"cr\rx\x1b[2J\x07.test")),
]

ARGUMENT_CASES = [
    ("printf conversions", b"%s%n%x%s"),
    ("an empty argument", b""),
    ("100,000 bytes", b"a" * 100000),
    ("invalid UTF-8", b"\xff\xfe\xc3\x28\xe2\x82.test"),
]


def assert_sound(test, output):
    """The report's own control bytes are LF and CR only, each CR right after a LF and the
    blanks of an alias line (20), an address line (16) or none."""
    for at, byte in enumerate(output):
        if (byte < 0x20 and byte not in (0x0a, 0x0d)) or byte == 0x7f:
            test.fail("raw control byte 0x%02x at %d in\n%s"
                      % (byte, at, harness.visible(output[max(0, at - 80):at + 80])))
    at = output.find(b"\r")
    while at >= 0:
        before = output[:at]
        blanks = len(before) - len(before.rstrip(b" "))
        test.assertTrue(before.rstrip(b" ").endswith(b"\n") and blanks in (0, 16, 20),
                        "a CR out of place at %d" % at)
        at = output.find(b"\r", at + 1)


class Hosts:
    """A hosts file of the test's own, and the environment that points nss_wrapper at it."""

    def __init__(self):
        self.folder = tempfile.TemporaryDirectory()
        path = os.path.join(self.folder.name, "hosts")
        with open(path, "wb") as f:
            f.write(HOSTS)
        # nss_wrapper keeps 100 names unless told otherwise; the alias case has 2,001.
        self.env = harness.nss_environment(path, NSS_WRAPPER_MAX_HOSTENTS="10000")

    def env_for(self, argument):
        if argument != b"wide.test":
            return self.env
        # nss_wrapper leaves the end of an address list longer than 16 unset (see
        # valgrind_long_address_list.supp); AddressSanitizer fills fresh memory with 0xbe, so
        # the list would run on into garbage. Zero fill gives the list the end it reads as in
        # a plain build.
        options = [o for o in self.env.get("ASAN_OPTIONS", "").split(":") if o]
        return dict(self.env, ASAN_OPTIONS=":".join(options + ["malloc_fill_byte=0"]))

    def cleanup(self):
        self.folder.cleanup()


class BadInput(harness.ReportTest):
    @classmethod
    def setUpClass(cls):
        cls.hosts = Hosts()

    @classmethod
    def tearDownClass(cls):
        cls.hosts.cleanup()

    def run_tool(self, *arguments, **options):
        options.setdefault("stdout", subprocess.PIPE)
        env = self.hosts.env_for(arguments[0] if arguments else None)
        done = harness.run_tool(arguments, env=env, stderr=subprocess.PIPE, timeout=120,
                                **options)
        self.assertEqual(b"", done.stderr, "nothing goes to standard error")
        self.assertGreaterEqual(done.returncode, 0, "ended by a signal")
        return done.returncode, done.stdout

    def test_hosts_file_answers(self):
        for what, argument, expected in NSS_CASES:
            with self.subTest(what):
                status, output = self.run_tool(argument)
                self.assertEqual(0, status)
                assert_sound(self, output)
                self.assertReport(expected, output)

    def test_arguments_are_text(self):
        for what, argument in ARGUMENT_CASES:
            with self.subTest(what):
                status, output = self.run_tool(argument)
                self.assertEqual(0, status)
                assert_sound(self, output)
                self.assertReport(not_found(argument), output)

    def test_output_that_cannot_be_written_exits_1(self):
        with open("/dev/full", "wb") as full:
            status, _ = self.run_tool(b"many.test", stdout=full)
        self.assertEqual(1, status, "standard output on a full device")
        # Closed in the child between fork and exec, so the tool starts without a stdout.
        status, _ = self.run_tool(b"many.test", stdout=subprocess.DEVNULL,
                                  preexec_fn=lambda: os.close(1))
        self.assertEqual(1, status, "standard output closed")

    def test_reader_that_goes_away(self):
        # The 2,000-alias report is larger than a pipe holds, so the tool is still writing when
        # the reader closes its end.
        process = harness.start_tool([b"many.test"], env=self.hosts.env,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            self.assertEqual(harness.BANNER, process.stdout.read(len(harness.BANNER)))
            process.stdout.close()
            status = process.wait(timeout=60)
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
            process.stderr.close()
        # The default ending on a broken pipe is SIGPIPE; a tool that ignored it would exit 1.
        self.assertIn(status, (-signal.SIGPIPE, 1))


if __name__ == "__main__":
    harness.main()
