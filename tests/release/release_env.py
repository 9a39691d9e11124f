"""What the release tier's tests share: the dist/ folder under test, the version and commit it
is of, and skipping with the Debian package's name when a checker is missing."""
import os
import re
import shutil
import subprocess

import harness

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def _project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
        return re.search(r"project\(Quendral VERSION ([0-9.]+)", f.read()).group(1)


VERSION = _project_version()


def dist():
    """The dist/ folder that packaging/release.sh wrote, in a clone of its own."""
    folder = os.environ.get("QUENDRAL_DIST", "")
    if not folder or not os.path.isdir(folder):
        harness.skip("QUENDRAL_DIST does not name a dist/ folder of packaging/release.sh")
    return folder


def source_date_epoch():
    """The time of the commit the dist/ folder was made from."""
    clone = os.path.dirname(os.path.abspath(dist()))
    return int(subprocess.run(["git", "-C", clone, "log", "-1", "--format=%ct"], check=True,
                              stdout=subprocess.PIPE).stdout)


def need(tools):
    """Skips unless every tool (name: Debian package) is on the PATH."""
    for tool, package in tools.items():
        if shutil.which(tool) is None:
            harness.skip("%s not found (Debian package %s)" % (tool, package))
