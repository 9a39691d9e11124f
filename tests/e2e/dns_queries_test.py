"""The queries one report costs, counted exactly from the DNS servers' logs."""
import collections

import dns_namespace
import harness

TOOL = harness.tool()
dns_namespace.require_unbound()
dns_namespace.enter()

HOST = "count.test."
UDP_LIMIT = 512  # the resolver sends no EDNS0: a longer answer comes truncated, then by TCP


def addresses(count):
    return ["198.51.100.%d" % i for i in range(1, count + 1)]


def has_ptr(index):
    """Every third address has no PTR record, so its interface name is never asked."""
    return index % 3 != 2


def host_answer_size(count):
    question = len(HOST) + 1 + 4  # the name's labels and root, type and class
    return 12 + question + 16 * count  # header, question, compressed A records


def expected_queries(count):
    """What the report implies: one A for the host, then per address one PTR, one A for the
    interface name when there was one, one A for the host again. No AAAA, no other type."""
    queries = collections.Counter({(HOST, "A"): 1 + count})
    for index, address in enumerate(addresses(count)):
        queries[(dns_namespace.reverse_name(address), "PTR")] += 1
        if has_ptr(index):
            queries[("if%d.test." % index, "A")] += 1
    return queries


def scripted(count):
    script = {"answers": {HOST + " A": [{"a": addresses(count)}]}}
    for index, address in enumerate(addresses(count)):
        if has_ptr(index):
            script["answers"][dns_namespace.reverse_name(address) + " PTR"] = [
                {"ptr": "if%d.test." % index}]
            script["answers"]["if%d.test. A" % index] = [{"a": [address]}]
    return dns_namespace.Scripted(script)


def unbound(count):
    forward = "".join("count IN A %s\n" % address for address in addresses(count))
    reverse = ""
    for index, address in enumerate(addresses(count)):
        if has_ptr(index):
            forward += "if%d IN A %s\n" % (index, address)
            reverse += "%s IN PTR if%d.test.\n" % (address.split(".")[-1], index)
    return dns_namespace.Unbound({"test.": forward, "100.51.198.in-addr.arpa.": reverse})


class QueryAccounting(harness.ReportTest):
    def test_queries_per_report(self):
        dns_namespace.set_hosts()
        for count in (1, 8, 64):
            unresolved = sum(1 for index in range(count) if not has_ptr(index))
            tail = b"\r" + (b"WARNING: %d Addresses could not be resolved back to names\n"
                            % unresolved if unresolved else b"")
            big = host_answer_size(count) > UDP_LIMIT
            for server_name, make in (("scripted", scripted), ("unbound", unbound)):
                with self.subTest("%d addresses, %s" % (count, server_name)):
                    server = make(count)
                    with server:
                        status, output, errors = dns_namespace.run_tool(HOST.rstrip("."))
                    self.assertEqual(0, status)
                    self.assertEqual(b"", errors)
                    self.assertEqual(count, output.count(b"\n" + b" " * 16), "address lines")
                    self.assertTrue(output.endswith(tail), harness.visible(output[-200:]))

                    expected = expected_queries(count)
                    by_transport = collections.Counter(
                        (transport, name, qtype) for transport, name, qtype in server.queries)
                    if server_name == "scripted":
                        # Every query goes by UDP once; a truncated answer (the host's, for
                        # 64 addresses) is asked again by TCP, as the protocol wants: that
                        # is the transport's fallback, not a retry.
                        wanted = collections.Counter(
                            {("udp",) + key: n for key, n in expected.items()})
                        if big:
                            wanted[("tcp", HOST, "A")] = 1 + count
                    else:
                        # unbound's log does not tell the transports apart.
                        if big:
                            expected[(HOST, "A")] *= 2
                        wanted = collections.Counter(
                            {(None,) + key: n for key, n in expected.items()})
                    self.assertEqual(wanted, by_transport)


if __name__ == "__main__":
    harness.main()
