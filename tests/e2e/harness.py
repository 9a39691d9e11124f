"""What the end-to-end tests share: running the real binary and skipping with a reason."""
import os
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


def skip(reason):
    print("SKIP: " + reason)
    sys.exit(SKIP)


def tool():
    """The binary under test, as CTest hands it over."""
    path = os.environ.get("QUENDRAL")
    if not path or not os.path.exists(path):
        skip("QUENDRAL does not name the built binary")
    return path


def find_library(name):
    for folder in ("/usr/lib/x86_64-linux-gnu", "/usr/lib64", "/usr/lib"):
        path = os.path.join(folder, name)
        if os.path.exists(path):
            return path
    return None


NSS_WRAPPER = find_library("libnss_wrapper.so")
NSS_WRAPPER_MISSING = "libnss_wrapper.so not found (Debian package libnss-wrapper)"


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
    result = unittest.main(exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
