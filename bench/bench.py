"""What a run of the tool costs: prints a table of medians, each ratio taken within one run.
Run it through bench/run.sh, which builds what it measures.

  (a) latency floor: a responder that waits 20 ms before every answer; wall time over the sum
      of those waits, for 1, 8 and 64 addresses (namespaces, so root);
  (b) the whole process against `getent hosts`, through nss_wrapper, paired runs: wall time
      and peak RSS; then wall time per resolver call for a host with 8 addresses;
  (c) in process (Google Benchmark): LookupHostInfo writing to /dev/null against the bare
      sequence of the resolver calls it makes, on the scripted table, on nss_wrapper and on a
      real DNS server (unbound, namespaces);
  (d) growth with the number of addresses, 1 to 512, on the same three.
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))

import dns_namespace  # noqa: E402
import harness  # noqa: E402

DELAY_MS = 20
COUNTS = (1, 8, 64, 512)
RANGES = ("192.0.2.", "198.51.100.", "203.0.113.")
UDP_LIMIT = 512


def addresses(count):
    """count documentation addresses (at most 762)."""
    return [RANGES[i // 254] + str(i % 254 + 1) for i in range(count)]


def queries_per_report(count):
    """Steady state, in one process: 1 + 3 per address, all by UDP; when the host's answer
    does not fit in UDP, each of its 1 + count asks is answered again over TCP."""
    host_answer = 12 + len("host%d.test." % count) + 1 + 4 + 16 * count
    return 1 + 3 * count + (1 + count if host_answer > UDP_LIMIT else 0)


def google_benchmark(binary, pattern, env):
    """Median (real, CPU) nanoseconds per benchmark; repetitions interleaved at random so a
    busy moment on a shared machine does not fall on one side of a ratio only."""
    done = subprocess.run([binary, "--benchmark_filter=" + pattern,
                           "--benchmark_repetitions=15", "--benchmark_min_time=0.05",
                           "--benchmark_enable_random_interleaving=true",
                           "--benchmark_report_aggregates_only=true",
                           "--benchmark_format=json"],
                          env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          check=True, timeout=100)
    medians = {}
    for entry in json.loads(done.stdout)["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            medians[entry["run_name"]] = (entry["real_time"], entry["cpu_time"])
    return medians


# ---- inside the namespaces ----------------------------------------------------------------

def run_counted(server, name):
    """Wall seconds of one report, and the queries the server logged for it."""
    before = len(server.read_log())
    start = time.perf_counter()
    status, _, errors = dns_namespace.run_tool(name)
    wall = time.perf_counter() - start
    if status != 0 or errors:
        raise RuntimeError("quendral failed: %d %r" % (status, errors))
    return wall, len(server.read_log()) - before


def host_script(counts, delay_ms):
    """The scripted responder's answers: host<N>.test with N addresses, for each N."""
    script = {"delay_ms": delay_ms, "answers": {}}
    for count in counts:
        script["answers"]["host%d.test. A" % count] = [{"a": addresses(count)}]
    for index, address in enumerate(addresses(max(counts))):
        script["answers"][dns_namespace.reverse_name(address) + " PTR"] = [
            {"ptr": "if%d.test." % index}]
        script["answers"]["if%d.test. A" % index] = [{"a": [address]}]
    return script


def host_zones(counts):
    """The same hosts as zones for unbound."""
    forward = ""
    for count in counts:
        forward += "".join("host%d IN A %s\n" % (count, address) for address in addresses(count))
    reverse = {}
    for index, address in enumerate(addresses(max(counts))):
        forward += "if%d IN A %s\n" % (index, address)
        prefix, last = address.rsplit(".", 1)
        zone = ".".join(reversed(prefix.split("."))) + ".in-addr.arpa."
        reverse[zone] = reverse.get(zone, "") + "%s IN PTR if%d.test.\n" % (last, index)
    return dict(reverse, **{"test.": forward})


def latency_floor():
    """Rounds of runs, each case in every round, so that load falls on all of them alike."""
    counts = (1, 8, 64)
    plan = [("localhost", 3)] + [("host%d.test" % n, r) for n, r in zip(counts, (3, 2, 1))]
    samples = {name: [] for name, _ in plan}
    with dns_namespace.Scripted(host_script(counts, DELAY_MS)) as server:
        for _ in range(3):
            for name, runs in plan:
                samples[name] += [run_counted(server, name) for _ in range(runs)]
    if any(queries for _, queries in samples["localhost"]):
        raise RuntimeError("localhost went to DNS")
    rows = []
    for count in counts:
        runs = samples["host%d.test" % count]
        answers = runs[0][1]
        rows.append({"count": count, "answers": answers,
                     "wall": statistics.median([wall for wall, _ in runs]),
                     "floor": answers * DELAY_MS / 1000.0,
                     "ratio": statistics.median([wall / (n * DELAY_MS / 1000.0)
                                                 for wall, n in runs])})
    return statistics.median([wall for wall, _ in samples["localhost"]]), rows


def real_dns(build):
    """Queries of one whole run per N, then the in-process benchmark against unbound."""
    with dns_namespace.Unbound(host_zones(COUNTS)) as server:
        first_run = {count: run_counted(server, "host%d.test" % count)[1] for count in COUNTS}
        env = dns_namespace.resolver_environment()
        medians = google_benchmark(os.path.join(build, "bench", "quendral_bench"),
                                   "platform/", env)
    return first_run, medians


def inside(build):
    os.environ["QUENDRAL"] = os.path.join(build, "quendral")
    dns_namespace.enter()
    dns_namespace.set_hosts()
    start, latency = latency_floor()
    first_run, medians = real_dns(build)
    print(json.dumps({"start_up": start, "latency": latency, "first_run": first_run,
                      "dns": medians}))


def namespace_parts(build):
    if os.geteuid() != 0:
        return None, "needs root for the namespaces"
    done = dns_namespace.run_in_namespaces(
        [sys.executable, os.path.abspath(__file__), "--inside", build], 110,
        stdout=subprocess.PIPE)
    if done.returncode != 0:
        return None, "the namespace part exited %d" % done.returncode
    result = json.loads(done.stdout.decode().strip().splitlines()[-1])
    result["first_run"] = {int(key): value for key, value in result["first_run"].items()}
    return result, None


# ---- outside ------------------------------------------------------------------------------

def timed(command, env):
    """Wall seconds and peak RSS (KiB) of one process, output discarded."""
    with open(os.devnull, "wb") as null:
        start = time.perf_counter()
        process = subprocess.Popen(command, env=env, stdout=null, stderr=null)
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
    code = os.waitstatus_to_exitcode(status)
    if code not in (0, 2):  # getent says 2 for a key it did not find
        raise RuntimeError("%s exited %d" % (command, code))
    return wall, usage.ru_maxrss


def nss_environment(folder):
    hosts = os.path.join(folder, "hosts")
    with open(hosts, "w") as f:
        f.write("198.51.100.5 ws01\n")
        for index, address in enumerate(addresses(8)):
            f.write("%s if%d.test host8.test\n" % (address, index))
    if harness.NSS_WRAPPER is None:
        raise SystemExit(harness.NSS_WRAPPER_MISSING)
    return harness.nss_environment(hosts)


def whole_process(tool, env):
    pairs = 60
    walls, rss, known = [], [], []
    for index in range(pairs):
        # Alternate which goes first, so drift on a shared machine hits both alike.
        order = [("tool", [tool, "unknown.test"]),
                 ("getent", ["getent", "hosts", "unknown.test"])]
        if index % 2:
            order.reverse()
        sample = {name: timed(command, env) for name, command in order}
        walls.append((sample["tool"][0], sample["getent"][0]))
        rss.append((sample["tool"][1], sample["getent"][1]))
        known.append(timed([tool, "host8.test"], env)[0])
    return {
        "pairs": pairs,
        "tool_wall": statistics.median([a for a, _ in walls]),
        "getent_wall": statistics.median([b for _, b in walls]),
        "wall_ratio": statistics.median([a / b for a, b in walls]),
        "tool_rss": statistics.median([a for a, _ in rss]),
        "getent_rss": statistics.median([b for _, b in rss]),
        "rss_ratio": statistics.median([a / b for a, b in rss]),
        "known_wall": statistics.median(known),
    }


def print_latency(dns):
    print("(a) latency floor: %d ms before every DNS answer (scripted responder, loopback)"
          % DELAY_MS)
    start = dns["start_up"]
    print("    %-9s %8s %9s %9s %11s %8s  %s" % ("addresses", "answers", "wall s", "floor s",
                                                "wall/floor", "target",
                                                "(wall - start-up)/floor"))
    for row in dns["latency"]:
        print("    %-9d %8d %9.4f %9.4f %11.3f %8s  %.3f" % (
            row["count"], row["answers"], row["wall"], row["floor"], row["ratio"], "<= 1.05",
            (row["wall"] - start) / row["floor"]))
    print("    answers: queries the server answered, 1 + 3 per address; for 64 the host's")
    print("    answer does not fit in UDP, so each of its 65 asks is answered again by TCP.")
    print("    start-up: %.2f ms, the same binary on localhost (hosts file, no DNS query)"
          % (start * 1e3))


def print_process(process):
    print("(b) whole process, through nss_wrapper, %d paired runs" % process["pairs"])
    print("    %-30s %10s %10s %7s %8s" % ("unknown host", "quendral", "getent", "ratio",
                                           "target"))
    print("    %-30s %10.3f %10.3f %7.3f %8s" % (
        "wall ms", process["tool_wall"] * 1e3, process["getent_wall"] * 1e3,
        process["wall_ratio"], "<= 1.1"))
    print("    %-30s %10d %10d %7.3f %8s" % (
        "peak RSS KiB", process["tool_rss"], process["getent_rss"], process["rss_ratio"],
        "<= 1.0"))
    calls = 1 + 3 * 8
    beyond = (process["known_wall"] - process["tool_wall"]) / (calls - 1)
    print("    host with 8 addresses: %.3f ms for %d resolver calls, %.1f us per call; beyond"
          % (process["known_wall"] * 1e3, calls, process["known_wall"] / calls * 1e6))
    print("    the unknown host's run (start-up and 1 call): %.1f us per further call"
          % (beyond * 1e6))


def print_in_process(scripted, nss, dns):
    print("(c) in process, Google Benchmark, medians of 15 interleaved repetitions:")
    print("    LookupHostInfo to /dev/null vs the bare resolver calls, host with 8 addresses")
    print("    %-20s %11s %11s %8s %8s %8s" % ("resolver", "report ns", "bare ns",
                                             "ratio", "cpu", "target"))
    rows = [("scripted table", scripted["scripted/report/8"], scripted["scripted/bare/8"]),
            ("nss_wrapper", nss["platform/report/8"], nss["platform/bare/8"])]
    if dns is not None:
        rows.append(("DNS (unbound)", dns["dns"]["platform/report/8"],
                     dns["dns"]["platform/bare/8"]))
    for name, report, bare in rows:
        print("    %-20s %11.0f %11.0f %8.3f %8.3f %8s" % (
            name, report[0], bare[0], report[0] / bare[0], report[1] / bare[1], "<= 1.02"))


def print_growth(scripted, dns):
    print("(d) growth with the number of addresses N")
    if dns is not None:
        print("    real DNS (unbound), in process: per report and per query")
        print("    %-5s %8s %9s %12s %12s %8s %12s" % ("N", "queries", "1st run", "report us",
                                                       "bare us", "ratio", "us per query"))
        for count in COUNTS:
            report = dns["dns"]["platform/report/%d" % count][0] / 1e3
            bare = dns["dns"]["platform/bare/%d" % count][0] / 1e3
            queries = queries_per_report(count)
            print("    %-5d %8d %9d %12.1f %12.1f %8.3f %12.1f" % (
                count, queries, dns["first_run"][count], report, bare, report / bare,
                report / queries))
        print("    queries: in a warm process (the benchmark); 1st run: a fresh process, whose")
        print("    first lookup of a big answer is repeated while the C library's result")
        print("    buffer grows.")
    print("    scripted table, in process, CPU time: the report's own cost, report - bare")
    print("    %-5s %12s %12s %16s" % ("N", "report ns", "bare ns", "own ns per addr"))
    for count in COUNTS:
        report = scripted["scripted/report/%d" % count][1]
        bare = scripted["scripted/bare/%d" % count][1]
        print("    %-5d %12.0f %12.0f %16.1f" % (count, report, bare, (report - bare) / count))


def main(build):
    started = time.perf_counter()
    tool = os.path.join(build, "quendral")
    bench = os.path.join(build, "bench", "quendral_bench")
    with tempfile.TemporaryDirectory() as folder:
        env = nss_environment(folder)
        process = whole_process(tool, env)
        scripted = google_benchmark(bench, "scripted/", dict(os.environ))
        nss = google_benchmark(bench, "platform/.*/8$", env)
    dns, why = namespace_parts(build)

    print("Quendral: what a run costs (medians; every ratio taken within this run)")
    print()
    if dns is None:
        print("(a) and the DNS rows of (c) and (d) skipped: " + why)
    else:
        print_latency(dns)
    print()
    print_process(process)
    print()
    print_in_process(scripted, nss, dns)
    print()
    print_growth(scripted, dns)
    print()
    print("measured in %.1f s" % (time.perf_counter() - started))


if __name__ == "__main__":
    if len(sys.argv) > 2 and sys.argv[1] == "--inside":
        inside(sys.argv[2])
    else:
        main(sys.argv[1] if len(sys.argv) > 1 else "build-bench")
