"""What the end-to-end tests share: running the real binary and skipping with a reason."""
import os
import shlex
import subprocess
import sys
import unittest

SKIP = 77  # CTest's SKIP_RETURN_CODE for these tests

BANNER = b"\n Quendral utility - Zemblor Systems Inc.\n\n"


def escaped(name):
    """A name as the report shows it: control bytes as \\xNN."""
    return b"".join(b"\\x%02x" % byte if byte < 0x20 or byte == 0x7f else bytes([byte])
                    for byte in name)


def header(host):
    """The banner and the header line of a report on host, from the computer ws01."""
    return BANNER + b"ws01 looking up host info for " + escaped(host) + b"\n"


def not_found(host):
    return header(host) + b"Failed to Lookup host entry for " + escaped(host) + b"\n"


def entry(name, aliases=()):
    """A found host's fields, up to where its address lines begin."""
    text = (b"Host Name:      " + escaped(name) + b"\nAddress Type:   2\nAddress Length: 4\n"
            b"Aliases:            \n")
    for alias in aliases:
        text += escaped(alias) + b"\n" + b" " * 20
    return text + b"\rAddresses:      "


def line(dotted, interface=None, verdict=b""):
    """One address line; no interface name means no reverse entry."""
    text = b"%-16s " % dotted
    text += b"<Unknown>" if interface is None else b"%-40s " % escaped(interface) + verdict
    return text + b"\n" + b" " * 16


def other(dotted):
    """The verdict of an interface name whose first address is another one."""
    return b"- %-16s " % dotted


# The target the build's programs run on, as CTest describes it; printed first by every test.
TARGET = os.environ.get("QUENDRAL_TARGET", "")
# A cross build's programs run through this command (CMake's CROSSCOMPILING_EMULATOR, its
# words separated by blanks); the target's libraries are in its multiarch folder, from the
# Debian packages of its architecture.
EMULATOR = shlex.split(os.environ.get("QUENDRAL_EMULATOR", ""))
MULTIARCH = os.environ.get("QUENDRAL_MULTIARCH", "")
DEBIAN_ARCH = os.environ.get("QUENDRAL_DEBIAN_ARCH", "")
# The emulator's name for LD_PRELOAD, which it hands to the target's loader only.
TARGET_PRELOAD = "QUENDRAL_TARGET_PRELOAD"


def say_target():
    if TARGET:
        print("target: " + TARGET, flush=True)


def skip(reason):
    say_target()
    print("SKIP: " + reason)
    sys.exit(SKIP)


_emulator_checked = False


def built(variable="QUENDRAL"):
    """The binary under test, or another program of the build, as CTest hands it over."""
    path = os.environ.get(variable)
    if not path or not os.path.exists(path):
        skip(variable + " does not name the built program")
    return path


def tool(variable="QUENDRAL"):
    """built(variable), for a test that runs it: skips when the emulator it needs is missing."""
    global _emulator_checked
    path = built(variable)
    if EMULATOR and not _emulator_checked:
        # With nothing to run, the emulator tells whether it could run anything (77: not
        # installed, and the package it comes in).
        probe = subprocess.run(EMULATOR, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               timeout=60)
        if probe.returncode == SKIP:
            skip(probe.stdout.decode(errors="replace").strip().removeprefix("SKIP: "))
        _emulator_checked = True
    return path


def target_command(arguments=(), env=None, program=None):
    """The command and environment that run the binary under test (or program) with arguments
    on its target: directly, or through the emulator. Every test runs the build's programs
    through here."""
    command = [program or tool(), *arguments]
    env = dict(os.environ if env is None else env)
    if not EMULATOR:
        return command, env
    # The build machine's loader would try to preload the target's library into the emulator.
    if "LD_PRELOAD" in env:
        env[TARGET_PRELOAD] = env.pop("LD_PRELOAD")
    return EMULATOR + command, env


def run_tool(arguments=(), env=None, program=None, **options):
    """subprocess.run of target_command()."""
    command, env = target_command(arguments, env, program)
    return subprocess.run(command, env=env, **options)


def start_tool(arguments=(), env=None, program=None, **options):
    """subprocess.Popen of target_command()."""
    command, env = target_command(arguments, env, program)
    return subprocess.Popen(command, env=env, **options)


def find_library(name):
    """The target's copy of a shared library: in its multiarch folder when CTest names one,
    else in the usual folders of the build machine."""
    folders = (["/usr/lib/" + MULTIARCH, "/lib/" + MULTIARCH] if MULTIARCH
               else ["/usr/lib/x86_64-linux-gnu", "/usr/lib64", "/usr/lib"])
    for folder in folders:
        path = os.path.join(folder, name)
        if os.path.exists(path):
            return path
    return None


NSS_WRAPPER = find_library("libnss_wrapper.so")
NSS_WRAPPER_MISSING = ("libnss_wrapper.so not found (Debian package libnss-wrapper%s)"
                       % (":" + DEBIAN_ARCH if DEBIAN_ARCH else ""))


def nss_environment(hosts, **extra):
    """This environment with the C library's resolver reading the hosts file hosts through
    nss_wrapper, on a computer named ws01."""
    return dict(os.environ, LD_PRELOAD=NSS_WRAPPER, NSS_WRAPPER_HOSTS=hosts,
                NSS_WRAPPER_HOSTNAME="ws01", **extra)


def visible(data):
    """Bytes with CR and LF shown, one report line per line, for failure messages."""
    return data.decode("latin-1").replace("\r", "\\r").replace("\n", "\\n\n")


def from_console(raw):
    """A Windows exe's output with the console's CRLF turned back into LF. The report itself
    never writes CR before LF, so this undoes exactly what the C runtime's text mode did."""
    return raw.replace(b"\r\n", b"\n")


class ReportTest(unittest.TestCase):
    def assertReport(self, expected, actual):
        if expected != actual:
            self.fail("report differs\n--- expected\n%s\n--- actual\n%s"
                      % (visible(expected), visible(actual)))


def main():
    """Runs the module's tests; a failure exits 1, a pass 0."""
    say_target()
    result = unittest.main(exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
