"""What the tests of the exe under Wine are handed by CTest, checked once: the exe, the Linux
build to compare it with, Wine and the prefix the cross build made for it, and the runner that
puts the target's Wine in front of a program (wine_command)."""
import os
import subprocess

import harness
from windows_target import ARCH

EXE = harness.tool()
NATIVE = os.environ.get("QUENDRAL_NATIVE", "")
WINE_RUN = os.environ.get("QUENDRAL_WINE_RUN", "")
PREFIX = os.environ.get("QUENDRAL_WINEPREFIX", "")
# The prefix is booted by wine64 for either target, and its server is wine64's.
WINE = os.environ.get("QUENDRAL_WINE64", "/usr/lib/wine/wine64")
if not os.path.exists(WINE):
    harness.skip(WINE + " not found (Debian package wine64)")
if not WINE_RUN or not PREFIX:
    harness.skip("QUENDRAL_WINE_RUN and QUENDRAL_WINEPREFIX do not name Wine's runner and prefix")
if not NATIVE or not os.path.exists(NATIVE):
    harness.skip("QUENDRAL_NATIVE does not name the Linux build's quendral to compare with")
WINESERVER = os.path.join(os.path.dirname(WINE), "wineserver")

# With no program, the runner tells whether it can run the target's (77: no, and what is
# missing: 32-bit Wine, or qemu-user where the kernel runs no 32-bit x86 programs).
_probe = subprocess.run([WINE_RUN, "--target", ARCH, PREFIX], stdout=subprocess.PIPE,
                        stderr=subprocess.STDOUT, timeout=60)
if _probe.returncode != 0:
    _said = _probe.stdout.decode(errors="replace").strip()
    if _probe.returncode == harness.SKIP:
        harness.skip(_said.removeprefix("SKIP: "))
    raise RuntimeError("%s cannot run the target's programs: %s" % (WINE_RUN, _said))


def runner(prefix):
    """The command that runs the Windows program after it under the target's Wine in prefix."""
    return [WINE_RUN, "--target", ARCH, prefix]


def wine_command(prefix, program):
    """runner(prefix) and program; a program of the build machine (the Linux build) runs as
    it is."""
    return runner(prefix) + [program] if program.endswith(".exe") else [program]
