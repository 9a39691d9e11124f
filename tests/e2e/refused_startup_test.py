"""A start-up the platform refuses, through a real process: the whole tool over the real
sockets layer, which here offers a version the tool does not take. The exit status -1 reaches
the parent as its low byte."""
import subprocess

import harness

REFUSED = harness.tool("QUENDRAL_REFUSED")


class RefusedStartup(harness.ReportTest):
    def test_exits_minus_1_after_the_banner(self):
        done = harness.run_tool(["alpha.test"], program=REFUSED, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, timeout=60)
        self.assertReport(harness.BANNER + b"Failed to Initialize Winsock\n", done.stdout)
        self.assertEqual(b"", done.stderr, "nothing goes to standard error")
        self.assertEqual(255, done.returncode)


if __name__ == "__main__":
    harness.main()
