"""What the tests of the exe under Wine are handed by CTest, checked once: the exe, the Linux
build to compare it with, Wine and the prefix the cross build made for it."""
import os

import harness

EXE = harness.tool()
NATIVE = os.environ.get("QUENDRAL_NATIVE", "")
WINE_RUN = os.environ.get("QUENDRAL_WINE_RUN", "")
PREFIX = os.environ.get("QUENDRAL_WINEPREFIX", "")
WINE = os.environ.get("QUENDRAL_WINE64", "/usr/lib/wine/wine64")
if not os.path.exists(WINE):
    harness.skip(WINE + " not found (Debian package wine64)")
if not WINE_RUN or not PREFIX:
    harness.skip("QUENDRAL_WINE_RUN and QUENDRAL_WINEPREFIX do not name Wine's runner and prefix")
if not NATIVE or not os.path.exists(NATIVE):
    harness.skip("QUENDRAL_NATIVE does not name the Linux build's quendral to compare with")
WINESERVER = os.path.join(os.path.dirname(WINE), "wineserver")
