"""What the package tests share: making a package with CPack from a configured build."""
import glob
import os
import subprocess

import harness


def make_package(generator, folder):
    """Runs CPack's generator on the build CTest names and returns the one package file."""
    cpack = os.environ.get("QUENDRAL_CPACK", "")
    build = os.environ.get("QUENDRAL_BUILD", "")
    if not cpack or not build:
        harness.skip("QUENDRAL_CPACK and QUENDRAL_BUILD do not name cpack and the build")
    done = subprocess.run([cpack, "-G", generator, "-B", folder, "--config",
                           os.path.join(build, "CPackConfig.cmake")],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    if done.returncode != 0:
        raise AssertionError("cpack failed:\n" + done.stdout.decode(errors="replace"))
    extension = {"DEB": "deb", "ZIP": "zip"}[generator]
    made = glob.glob(os.path.join(folder, "*." + extension))
    if len(made) != 1:
        raise AssertionError("cpack made %r" % made)
    return made[0]
