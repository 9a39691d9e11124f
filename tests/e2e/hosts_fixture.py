"""The hosts file that the hosts-file tests of the Linux build and the exe share, and the
reports it makes: the same answers for both builds, so one text to compare with."""
import os
import tempfile

import harness

# alpha.test has three lines, so its entry has three addresses; each address's reverse name is
# the first name on its line, so .11 and .12 come back as alpha.test, whose first address is .10.
HOSTS = b"""\
192.0.2.10 alpha.test alpha-srv.test
192.0.2.11 alpha.test
192.0.2.12 alpha.test
198.51.100.5 ws01 ws01.test
203.0.113.7 lone.test
"""

# The reports after their header line, blanks and carriage returns as they are.
ALPHA = (b"Host Name:      alpha.test\n"
         b"Address Type:   2\n"
         b"Address Length: 4\n"
         b"Aliases:            \n"
         b"alpha-srv.test\n                    "
         b"\r"
         b"Addresses:      "
         b"192.0.2.10       alpha.test                               +"
         b"\n                "
         b"192.0.2.11       alpha.test                               - 192.0.2.10       "
         b"\n                "
         b"192.0.2.12       alpha.test                               - 192.0.2.10       "
         b"\n                "
         b"\r"
         b"WARNING: 2 Interface Names did not resolve back to the correct address\n")
LONE = (b"Host Name:      lone.test\nAddress Type:   2\nAddress Length: 4\n"
        b"Aliases:            \n\rAddresses:      "
        b"203.0.113.7      lone.test                                +\n                \r")
WS01 = (b"Host Name:      ws01\nAddress Type:   2\nAddress Length: 4\n"
        b"Aliases:            \nws01.test\n                    \rAddresses:      "
        b"198.51.100.5     ws01                                     +\n                \r")
LOCAL = harness.BANNER + b"Looking up Local Host info for ws01\n" + WS01


class HostsFileTest(harness.ReportTest):
    """Writes HOSTS to self.hosts, a file of the test's own, for the whole class."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.hosts = os.path.join(cls.folder.name, "hosts")
        with open(cls.hosts, "wb") as f:
            f.write(HOSTS)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()
