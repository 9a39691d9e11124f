"""The Windows exe under Wine against the DNS servers on loopback: the Linux build's report,
byte for byte once the console's CRLF is LF again, and the same queries in the servers' logs.

The cases, servers and namespaces are the Linux DNS tests' own. Each case runs twice, the
Linux build and then the exe, each against a server of its own, so that answers which change
from one ask to the next start over for the exe.

What Wine does here, seen in the servers' logs:
- Its gethostbyname and gethostbyaddr are the C library's: the exe asks exactly what the
  Linux build asks, in the same order; A and PTR only, no AAAA.
- gethostbyname(NULL) stands for the computer's name. Wine answers that name with the
  addresses of the interfaces that have routes, asking no server (with a routed interface
  added to these namespaces, the report shows its address and only its PTR is asked); these
  namespaces have only loopback, so it looks the name up like any other: "ws01" A, as the
  Linux build does.
- Booting the prefix, which Wine does each time its server starts afresh, looks the
  computer's name up too: "ws01" A and AAAA, from Wine and not from the exe. The server is
  therefore kept running from before the first DNS server until the last case is done.
"""
import os
import subprocess

import dns_namespace
import dns_test
import harness
from wine_env import EXE, NATIVE, PREFIX, WINESERVER, runner

# A prefix for these namespaces alone: Wine's server is found by its prefix, and one started
# in here answers with this namespace's network, which no run outside may share.
DNS_PREFIX = PREFIX + "-dns"
BOOT_TIMEOUT = 240  # seconds: the first boot makes the prefix
RUN_TIMEOUT = 60  # seconds, one program under Wine


def wine(*command, timeout=RUN_TIMEOUT):
    return dns_namespace.run(runner(DNS_PREFIX) + list(command), timeout)


def wineserver(*options):
    subprocess.run([WINESERVER] + list(options), env=dict(os.environ, WINEPREFIX=DNS_PREFIX),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def start_wine():
    """Makes the prefix on first use and leaves Wine running, booted, until stop_wine().

    Wine boots the prefix whenever its server starts afresh, and the boot looks the
    computer's name up (an A and an AAAA query for ws01). A server that ends between two
    cases would put those queries in the next case's log; one kept running boots once, here,
    before any DNS server listens."""
    status, _, errors = wine("cmd", "/c", "exit", timeout=BOOT_TIMEOUT)
    if status != 0:
        raise RuntimeError("Wine did not start in %s: %s" % (DNS_PREFIX, errors.decode()))
    wineserver("-w")  # the first server ends, having saved a prefix it may just have made
    wineserver("-p")  # persistent: it stays until stop_wine()
    status, _, errors = wine("cmd", "/c", "exit", timeout=BOOT_TIMEOUT)
    if status != 0:
        raise RuntimeError("Wine did not boot in %s: %s" % (DNS_PREFIX, errors.decode()))


def stop_wine():
    """Stops the server and with it the prefix's processes; nothing of Wine's outlives the
    test (and whatever did would end with the namespaces)."""
    wineserver("-k")
    wineserver("-w")


class WineDnsReport(harness.ReportTest):
    @classmethod
    def setUpClass(cls):
        dns_namespace.set_hosts()
        cls.addClassCleanup(stop_wine)  # also when the start fails half way
        start_wine()

    def compare(self, make_server, arguments, expected, queries):
        server = make_server()
        with server:
            native = dns_namespace.run([NATIVE] + arguments, RUN_TIMEOUT)
        self.assertReport(expected, native[1])
        self.assertEqual((0, b""), (native[0], native[2]))
        self.assertEqual(queries, [(name, qtype) for _, name, qtype in server.queries])

        server = make_server()
        with server:
            status, output, errors = wine(EXE, *arguments)
        self.assertNotIn(b"\n", output.replace(b"\r\n", b""), "every line ends in CRLF")
        self.assertReport(native[1], harness.from_console(output))
        self.assertEqual((0, b""), (status, errors))
        self.assertEqual(queries, [(name, qtype) for _, name, qtype in server.queries],
                         "the exe's queries, in order, are the Linux build's")

    def test_static_zones(self):
        for what, zones, arguments, expected, queries in dns_test.DnsReport.static_cases():
            with self.subTest(what):
                self.compare(lambda: dns_namespace.Unbound(zones), arguments, expected, queries)

    def test_scripted_answers(self):
        for what, script, arguments, expected, queries in dns_test.DnsReport.scripted_cases():
            with self.subTest(what):
                self.compare(lambda: dns_namespace.Scripted(script), arguments, expected,
                             queries)


if __name__ == "__main__":
    dns_namespace.require_unbound()
    dns_namespace.enter()
    harness.main()
