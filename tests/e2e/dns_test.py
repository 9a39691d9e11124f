"""The real binary against real DNS servers on loopback, in namespaces of the test's own."""
import dns_namespace
import harness
from harness import entry, header, line, not_found, other

TOOL = harness.tool()

WARN_ADDRESSES = b"WARNING: %d Addresses could not be resolved back to names\n"
WARN_NAMES = b"WARNING: %d Interface Names could not be resolved back to addresses\n"
WARN_MISMATCHES = b"WARNING: %d Interface Names did not resolve back to the correct address\n"


# The sample report's shape through DNS: the host's name is a CNAME, so the entry's name is
# the target and the asked name its alias; .10 comes back, .11's name leads elsewhere, .12 has
# no PTR record. Written out in full once, blanks and carriage returns as they are.
SAMPLE = (harness.BANNER +
          b"ws01 looking up host info for alpha-srv.test\n"
          b"Host Name:      alpha.test\n"
          b"Address Type:   2\n"
          b"Address Length: 4\n"
          b"Aliases:            \n"
          b"alpha-srv.test\n                    "
          b"\r"
          b"Addresses:      "
          b"192.0.2.10       alpha.test                               +"
          b"\n                "
          b"192.0.2.11       alpha-if2.test                           - 192.0.2.99       "
          b"\n                "
          b"192.0.2.12       <Unknown>"
          b"\n                "
          b"\r"
          b"WARNING: 1 Addresses could not be resolved back to names\n"
          b"WARNING: 1 Interface Names did not resolve back to the correct address\n")

SAMPLE_ZONES = {
    "test.": """
alpha IN A 192.0.2.10
alpha IN A 192.0.2.11
alpha IN A 192.0.2.12
alpha-srv IN CNAME alpha
alpha-if2 IN A 192.0.2.99
""",
    "2.0.192.in-addr.arpa.": """
10 IN PTR alpha.test.
11 IN PTR alpha-if2.test.
""",
}


def asked(*pairs):
    """Queries as the server logs them: (name, type), names absolute."""
    return [(name if name.endswith(".") else dns_namespace.reverse_name(name), qtype)
            for name, qtype in pairs]


class DnsReport(harness.ReportTest):
    def check(self, server, arguments, expected, queries):
        with server:
            status, output, errors = dns_namespace.run_tool(*arguments)
        self.assertReport(expected, output)
        self.assertEqual(0, status)
        self.assertEqual(b"", errors, "nothing goes to standard error")
        self.assertEqual(queries, [(name, qtype) for _, name, qtype in server.queries],
                         "the queries the server received, in order")

    @staticmethod
    def static_cases():
        """(what, zones for unbound, arguments, the report, the queries in order)."""
        return [
            ("the sample: an alias through a CNAME, a round trip, a mismatch, no PTR",
             SAMPLE_ZONES, ["alpha-srv.test"], SAMPLE,
             asked(("alpha-srv.test.", "A"),
                   ("192.0.2.10", "PTR"), ("alpha.test.", "A"), ("alpha-srv.test.", "A"),
                   ("192.0.2.11", "PTR"), ("alpha-if2.test.", "A"), ("alpha-srv.test.", "A"),
                   ("192.0.2.12", "PTR"), ("alpha-srv.test.", "A"))),
            # One PTR name does not exist, the other exists with no address record.
            ("PTR names with no A record",
             {"test.": "orphan IN A 198.51.100.20\norphan IN A 198.51.100.21\n"
                       "noaddr IN TXT \"no address here\"\n",
              "100.51.198.in-addr.arpa.": "20 IN PTR gone.test.\n21 IN PTR noaddr.test.\n"},
             ["orphan.test"],
             header(b"orphan.test") + entry(b"orphan.test")
             + line(b"198.51.100.20", b"gone.test", b"???")
             + line(b"198.51.100.21", b"noaddr.test", b"???")
             + b"\r" + WARN_NAMES % 2,
             asked(("orphan.test.", "A"),
                   ("198.51.100.20", "PTR"), ("gone.test.", "A"), ("orphan.test.", "A"),
                   ("198.51.100.21", "PTR"), ("noaddr.test.", "A"), ("orphan.test.", "A"))),
            # The failures come in the opposite order of the warnings. trio-b's own address
            # is second in its entry: only the first one counts.
            ("all three warnings, in their fixed order",
             {"test.": "".join("trio IN A 203.0.113.%d\n" % i for i in (1, 2, 3, 4))
                       + "trio-b IN A 203.0.113.9\ntrio-b IN A 203.0.113.1\n"
                       "trio-d IN A 203.0.113.4\n",
              "113.0.203.in-addr.arpa.": "1 IN PTR trio-b.test.\n2 IN PTR gone.test.\n"
                                         "4 IN PTR trio-d.test.\n"},
             ["trio.test"],
             header(b"trio.test") + entry(b"trio.test")
             + line(b"203.0.113.1", b"trio-b.test", other(b"203.0.113.9"))
             + line(b"203.0.113.2", b"gone.test", b"???")
             + line(b"203.0.113.3")
             + line(b"203.0.113.4", b"trio-d.test", b"+")
             + b"\r" + WARN_ADDRESSES % 1 + WARN_NAMES % 1 + WARN_MISMATCHES % 1,
             asked(("trio.test.", "A"),
                   ("203.0.113.1", "PTR"), ("trio-b.test.", "A"), ("trio.test.", "A"),
                   ("203.0.113.2", "PTR"), ("gone.test.", "A"), ("trio.test.", "A"),
                   ("203.0.113.3", "PTR"), ("trio.test.", "A"),
                   ("203.0.113.4", "PTR"), ("trio-d.test.", "A"), ("trio.test.", "A"))),
            ("NXDOMAIN for the host",
             {"test.": ""}, ["missing.test"],
             not_found(b"missing.test"),
             asked(("missing.test.", "A"))),
            # The hosts file holds only localhost, so the local computer's entry comes from
            # DNS too; its name has no dot and there is no search list: asked as it is.
            ("no argument: the local computer's name through DNS",
             {"ws01.": "@ IN A 198.51.100.5\n",
              "100.51.198.in-addr.arpa.": "5 IN PTR ws01.\n"},
             [],
             harness.BANNER + b"Looking up Local Host info for ws01\n" + entry(b"ws01")
             + line(b"198.51.100.5", b"ws01", b"+") + b"\r",
             asked(("ws01.", "A"), ("198.51.100.5", "PTR"), ("ws01.", "A"), ("ws01.", "A"))),
            ("no argument, the local computer unknown",
             {"test.": ""}, [],
             harness.BANNER + b"Looking up Local Host info for ws01\n"
             b"Failed to Lookup host entry for (null)\n",
             asked(("ws01.", "A"))),
        ]

    def test_static_zones(self):
        dns_namespace.set_hosts()
        for what, zones, arguments, expected, queries in self.static_cases():
            with self.subTest(what):
                self.check(dns_namespace.Unbound(zones), arguments, expected, queries)

    @staticmethod
    def scripted_cases():
        """(what, script for the responder, arguments, the report, the queries in order)."""
        rr = ["192.0.2.%d" % i for i in (21, 22, 23, 24)]
        round_robin = {"answers": {"rr.test. A": [{"a": rr}, {"a": rr[1:] + rr[:1]},
                                                  {"a": rr[2:] + rr[:2]}, {"a": rr[3:]}]}}
        for i, address in enumerate(rr, 1):
            round_robin["answers"][dns_namespace.reverse_name(address) + " PTR"] = [
                {"ptr": "rr%d.test." % i}]
            round_robin["answers"]["rr%d.test. A" % i] = [{"a": [address]}]

        def flaky(failure):
            return {"answers": {
                "flaky.test. A": [{"a": ["192.0.2.31", "192.0.2.32"]}, failure],
                "31.2.0.192.in-addr.arpa. PTR": [{"ptr": "flaky1.test."}],
                "flaky1.test. A": [{"a": ["192.0.2.31"]}]}}

        relookup_failed = (header(b"flaky.test") + entry(b"flaky.test")
                           + line(b"192.0.2.31", b"flaky1.test", b"+")
                           + b"Failed to Re-Lookup host entry for flaky.test\n")
        relookup_queries = asked(("flaky.test.", "A"), ("192.0.2.31", "PTR"),
                                 ("flaky1.test.", "A"), ("flaky.test.", "A"))
        return [
            # Four addresses, rotated on every ask, then one: the walk takes index 0, 1 and 2
            # from three different lists (.21 twice, .22 and .24 never) and stops at the
            # fourth list, which is shorter than the index reached.
            ("round-robin answers that change between lookups", round_robin, ["rr.test"],
             header(b"rr.test") + entry(b"rr.test")
             + line(b"192.0.2.21", b"rr1.test", b"+")
             + line(b"192.0.2.23", b"rr3.test", b"+")
             + line(b"192.0.2.21", b"rr1.test", b"+") + b"\r",
             asked(("rr.test.", "A"),
                   ("192.0.2.21", "PTR"), ("rr1.test.", "A"), ("rr.test.", "A"),
                   ("192.0.2.23", "PTR"), ("rr3.test.", "A"), ("rr.test.", "A"),
                   ("192.0.2.21", "PTR"), ("rr1.test.", "A"), ("rr.test.", "A"))),
            ("the host's second ask fails: SERVFAIL", flaky({"rcode": "SERVFAIL"}),
             ["flaky.test"], relookup_failed, relookup_queries),
            ("the host's second ask fails: NXDOMAIN", flaky({"rcode": "NXDOMAIN"}),
             ["flaky.test"], relookup_failed, relookup_queries),
            # Costs the resolver's timeout, one second, and is asked once.
            ("a server that never answers", {"default": "drop"}, ["silent.test"],
             not_found(b"silent.test"),
             asked(("silent.test.", "A"))),
        ]

    def test_scripted_answers(self):
        dns_namespace.set_hosts()
        for what, script, arguments, expected, queries in self.scripted_cases():
            with self.subTest(what):
                self.check(dns_namespace.Scripted(script), arguments, expected, queries)


if __name__ == "__main__":
    # Here rather than on import: another test module takes the cases above into its own
    # namespaces.
    dns_namespace.require_unbound()
    dns_namespace.enter()
    harness.main()
