"""A private network for DNS tests: namespaces, the resolver's files, and servers on loopback.

A test module calls enter() first. Outside, enter() re-runs the module as PID 1 of fresh
network, mount, UTS and PID namespaces (so whatever it starts dies with it) and exits with its
status; inside, it brings loopback up, names the computer ws01 and bind-mounts the resolver's
files over the machine's own. Only then do servers start, on 127.0.0.1:53, one at a time.
"""
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

import dns_responder
import harness

HOSTNAME = "ws01"
INSIDE = "QUENDRAL_DNS_NAMESPACE"
FOLDER = "QUENDRAL_DNS_FOLDER"  # the namespace's own files, on a tmpfs of its own
SERVER_LIFETIME = "120"  # seconds: a server outlives no test run, even one that hangs
NAMESPACE_LIFETIME = 300  # seconds, the whole module inside its namespaces
PROBE_NAME = "ready.probe.test."  # asked until a server answers; left out of the query logs
PROBE_ADDRESS = "192.0.2.1"

# One attempt and a one-second timeout: a server that never answers costs one second, and
# every query in a server's log is one the tool caused. No search list, and a host name
# without a dot, so no name is asked with a domain appended.
RESOLV_CONF = b"nameserver 127.0.0.1\noptions attempts:1 timeout:1\n"
NSSWITCH_CONF = b"hosts: files dns\npasswd: files\ngroup: files\n"
# The local computer is not in it: with no argument its entry, too, comes from DNS.
HOSTS = b"127.0.0.1 localhost\n::1 localhost\n"

# Environment that would change what the resolver asks.
RESOLVER_ENVIRONMENT = ("LOCALDOMAIN", "RES_OPTIONS", "HOSTALIASES", "LD_PRELOAD",
                        "NSS_WRAPPER_HOSTS", "NSS_WRAPPER_HOSTNAME")

UNSHARE = ["unshare", "--net", "--mount", "--uts", "--pid", "--fork", "--kill-child",
           "--mount-proc"]

_folder = None


def unbound_path():
    return shutil.which("unbound") or "/usr/sbin/unbound"


def require_unbound():
    if not os.access(unbound_path(), os.X_OK):
        harness.skip("unbound not found (Debian package unbound)")


def enter():
    """Returns inside the namespaces with the resolver pointed at 127.0.0.1, or exits."""
    if os.environ.get(INSIDE) == "1":
        _set_up_inside()
        return
    if os.geteuid() != 0:
        harness.skip("needs root to make network, mount and UTS namespaces")
    if shutil.which("unshare") is None:
        harness.skip("unshare not found (Debian package util-linux)")
    tried = subprocess.run(UNSHARE + ["true"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           timeout=30)
    if tried.returncode != 0:
        harness.skip("unshare refused the namespaces: "
                     + tried.stderr.decode(errors="replace").strip())
    done = run_in_namespaces([sys.executable, os.path.abspath(sys.argv[0])] + sys.argv[1:],
                             NAMESPACE_LIFETIME)
    sys.exit(done.returncode)


def run_in_namespaces(command, timeout, stdout=None):
    """Runs command as PID 1 of fresh namespaces, where enter() then sets them up."""
    # The folder is made out here, where it stays an empty mount point; inside, a tmpfs over it
    # holds the servers' files, logs and zones, which vanish with the namespace even when the
    # run is killed. /tmp itself stays as it is: the build tree may well live there.
    folder = tempfile.mkdtemp(prefix="quendral-dns-")
    env = dict(os.environ, **{INSIDE: "1", FOLDER: folder})
    try:
        return subprocess.run(UNSHARE + command, env=env, stdout=stdout, timeout=timeout)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def _run(*command):
    done = subprocess.run(list(command), stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          timeout=30)
    if done.returncode != 0:
        raise RuntimeError("%s failed: %s" % (" ".join(command), done.stdout.decode()))


def _set_up_inside():
    global _folder
    if shutil.which("ip") is None:
        harness.skip("ip not found (Debian package iproute2)")
    _folder = os.environ[FOLDER]
    _run("mount", "-t", "tmpfs", "-o", "size=256m,mode=700", "quendral-dns", _folder)
    tempfile.tempdir = _folder
    _run("ip", "link", "set", "lo", "up")
    socket.sethostname(HOSTNAME)
    for name, content in (("resolv.conf", RESOLV_CONF), ("nsswitch.conf", NSSWITCH_CONF),
                          ("hosts", HOSTS)):
        path = os.path.join(_folder, name)
        with open(path, "wb") as f:
            f.write(content)
        # The namespace's mounts are private: the machine's own files stay as they are.
        _run("mount", "--bind", path, "/etc/" + name)


def set_hosts(content=HOSTS):
    """Rewrites the namespace's hosts file in place (the bind mount follows the file)."""
    with open("/etc/hosts", "wb") as f:
        f.write(content)


def resolver_environment():
    """This process's environment less what would change what the resolver asks."""
    return {key: value for key, value in os.environ.items()
            if key not in RESOLVER_ENVIRONMENT and key not in (INSIDE, FOLDER)}


def run(command, timeout=60):
    """A program in the namespace: (exit status, standard output, standard error)."""
    done = subprocess.run(command, env=resolver_environment(), stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=timeout)
    return done.returncode, done.stdout, done.stderr


def run_tool(*arguments):
    """The binary under test in the namespace, as run() gives it."""
    done = harness.run_tool(arguments, env=resolver_environment(), stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, timeout=60)
    return done.returncode, done.stdout, done.stderr


def _answers_probe():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:
        probe.settimeout(0.2)
        try:
            probe.sendto(dns_responder.build_query(PROBE_NAME), ("127.0.0.1", 53))
            reply = dns_responder.parse_message(probe.recv(4096))
        except OSError:
            return False
    return (PROBE_NAME, "A", PROBE_ADDRESS) in reply["answers"]


class _Server:
    """One server process, bounded by timeout(1), ready once it answers the probe."""

    def __init__(self, command, log_path):
        self.folder = tempfile.mkdtemp(prefix="server-", dir=_folder)
        self.command = command
        self.log_path = log_path
        self.process = None
        self.queries = None

    def __enter__(self):
        self.errors = open(os.path.join(self.folder, "stderr"), "wb")
        self.process = subprocess.Popen(["timeout", "--kill-after=5", SERVER_LIFETIME]
                                        + self.command, stdout=self.errors,
                                        stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 15
        while not _answers_probe():
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("%s did not answer: %s" % (self.command[0], self.output()))
            time.sleep(0.05)
        return self

    def output(self):
        with open(os.path.join(self.folder, "stderr"), "rb") as f:
            return f.read().decode(errors="replace")

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()  # timeout(1) hands the signal on to the server
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait(timeout=10)
        self.errors.close()

    def __exit__(self, *_):
        self.stop()
        self.queries = [query for query in self.read_log() if query[1] != PROBE_NAME]
        return False


class Unbound(_Server):
    """A real DNS server with static zones. zones maps each zone's name to its records, in
    zone file syntax relative to the zone; SOA, NS and the probe's name are added here.
    queries, once stopped: (transport, name, type) for every query it logged; it does not
    tell the transport, so that is None."""

    def __init__(self, zones):
        folder = tempfile.mkdtemp(prefix="unbound-", dir=_folder)
        log = os.path.join(folder, "queries.log")
        zones = dict(zones)
        zones.setdefault("test.", "")
        zones["test."] += "\nready.probe IN A %s\n" % PROBE_ADDRESS
        lines = ["server:",
                 "  interface: 127.0.0.1", "  port: 53", "  do-ip6: no",
                 "  do-daemonize: no", "  username: \"\"", "  chroot: \"\"",
                 "  directory: \"%s\"" % folder, "  pidfile: \"\"",
                 "  use-syslog: no", "  logfile: \"%s\"" % log, "  verbosity: 0",
                 "  log-queries: yes", "  num-threads: 1",
                 # Answers in the zone's order, the same every time.
                 "  rrset-roundrobin: no",
                 "  auto-trust-anchor-file: \"\"", "  trust-anchor-file: \"\"",
                 # Nothing is ever asked of another server: what the zones below do not
                 # hold is answered NXDOMAIN from here.
                 "  local-zone: \".\" static",
                 "remote-control:", "  control-enable: no"]
        for name, records in zones.items():
            path = os.path.join(folder, name.rstrip(".") + ".zone")
            with open(path, "w") as f:
                f.write("$ORIGIN %s\n$TTL 60\n@ IN SOA ns.test. admin.test. 1 3600 600 86400 60\n"
                        "@ IN NS ns.test.\n%s\n" % (name, records))
            # Answered from the zone file, CNAMEs followed within the zones, rather than
            # from the blocks for .test and the documentation ranges built into the server.
            lines[1:1] = ["  local-zone: \"%s\" transparent" % name]
            lines += ["auth-zone:", "  name: \"%s\"" % name, "  zonefile: \"%s\"" % path,
                      "  for-downstream: yes", "  for-upstream: no"]
        config = os.path.join(folder, "unbound.conf")
        with open(config, "w") as f:
            f.write("\n".join(lines) + "\n")
        super().__init__([unbound_path(), "-d", "-c", config], log)

    def read_log(self):
        queries = []
        if os.path.exists(self.log_path):
            with open(self.log_path) as f:
                for line in f:
                    match = re.search(r"info: 127\.0\.0\.1 (\S+) (\S+) IN$", line.strip())
                    if match:
                        queries.append((None, match.group(1).lower(), match.group(2)))
        return queries


class Scripted(_Server):
    """The project's scripted responder with this script (see dns_responder.py). queries,
    once stopped: (transport, name, type) for every query it received."""

    def __init__(self, script):
        folder = tempfile.mkdtemp(prefix="scripted-", dir=_folder)
        script = dict(script)
        script["answers"] = dict(script.get("answers", {}))
        script["answers"][PROBE_NAME + " A"] = [{"a": [PROBE_ADDRESS]}]
        path = os.path.join(folder, "script.json")
        with open(path, "w") as f:
            json.dump(script, f)
        log = os.path.join(folder, "queries.log")
        responder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "dns_responder.py")
        super().__init__([sys.executable, responder, path, log], log)

    def read_log(self):
        queries = []
        if os.path.exists(self.log_path):
            with open(self.log_path) as f:
                for line in f:
                    transport, name, qtype = line.split()
                    queries.append((transport, name, qtype))
        return queries


def reverse_name(dotted):
    return ".".join(reversed(dotted.split("."))) + ".in-addr.arpa."
