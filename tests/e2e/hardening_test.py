"""The binary as a distribution expects to ship it, on whichever target it was built for:
position-independent, stack-protected, fortified, full RELRO and bind-now, as Debian's
hardening-check reads them. Control-flow protection is x86's alone (ARM's branch protection
is not among its checks), so it is left out, as in the release's check of the packages."""
import shutil
import subprocess
import unittest

import harness

HARDENING_CHECK = shutil.which("hardening-check")
if HARDENING_CHECK is None:
    harness.skip("hardening-check not found (Debian package devscripts)")
BINARY = harness.built()


class Hardening(unittest.TestCase):
    def test_every_check_passes(self):
        done = subprocess.run([HARDENING_CHECK, "--nocfprotection", BINARY],
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=120)
        report = done.stdout.decode(errors="replace")
        self.assertEqual(0, done.returncode, report)
        for check in ("Position Independent Executable: yes", "Stack protected: yes",
                      "Fortify Source functions: yes", "Read-only relocations: yes",
                      "Immediate binding: yes"):
            self.assertIn(check, report)


if __name__ == "__main__":
    harness.main()
