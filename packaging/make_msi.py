#!/usr/bin/env python3
"""Makes Quendral's Windows Installer package from a built quendral.exe, with wixl and
msibuild from msitools:

    SOURCE_DATE_EPOCH=... python3 packaging/make_msi.py --arch x64 --version 6.1.0 \\
        --exe build-win/quendral.exe --out dist/quendral-6.1.0-win64.msi

The same exe, version and SOURCE_DATE_EPOCH give the same bytes, from any folder, at any time,
under any TZ and umask: every GUID is derived from those inputs, and wixl runs at a frozen
clock, because it stamps the summary information and the cabinet's file times with the time
it runs at.
"""
import argparse
import collections
import datetime
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import uuid

HERE = os.path.dirname(os.path.abspath(__file__))
WXS = os.path.join(HERE, "quendral.wxs")

# Every GUID below is uuid5 of this namespace and a name, so it never changes unless the name
# does. Generated once; changing it would orphan every installed copy.
NAMESPACE = uuid.UUID("8e93ab61-49c8-4b8d-b8e0-978dbc4b2c60")

Arch = collections.namedtuple(
    "Arch", "wixl_arch program_files win64 template upgrade_code")

# What differs between the architectures. Each one is a product line of its own with its own
# UpgradeCode, generated once and never to change: a new version upgrades the installed one
# only while it carries the same UpgradeCode.
ARCHES = {
    "x64": Arch(wixl_arch="x64", program_files="ProgramFiles64Folder", win64="yes",
                template="x64;1033", upgrade_code="B0B60D6C-2D95-4A3D-9530-1569EA7D3D2A"),
    # The 32-bit exe, which runs on every Windows: Program Files (x86) on a 64-bit one.
    "x86": Arch(wixl_arch="x86", program_files="ProgramFilesFolder", win64="no",
                template="Intel;1033", upgrade_code="6762216A-EEA5-49F0-8C01-A9550E3145DC"),
}

MANUFACTURER = "Zemblor Systems Inc."
SUBJECT = "Quendral"  # as the .wxs's Package Description, which msibuild -s must write again

# The system PATH gets the install folder appended, and loses it again on uninstall. wixl has no
# Environment element, so the table is added here as WiX would write <Environment Name="PATH"
# Value="[INSTALLDIR]" Action="set" Part="last" System="yes" Permanent="no"/>: "=" sets the
# variable on install, "-" removes the value on uninstall, "*" makes it a system variable, and
# "[~];" before the value appends it to what PATH holds. The two actions stand where Windows
# Installer's standard sequence puts them.
ENVIRONMENT_SQL = [
    "CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, "
    "`Name` CHAR(255) NOT NULL LOCALIZABLE, `Value` CHAR(255) LOCALIZABLE, "
    "`Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)",
    "INSERT INTO `Environment` (`Environment`, `Name`, `Value`, `Component_`) "
    "VALUES ('SystemPath', '=-*PATH', '[~];[INSTALLDIR]', 'QuendralExe')",
    "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) "
    "VALUES ('RemoveEnvironmentStrings', 3300)",
    "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) "
    "VALUES ('WriteEnvironmentStrings', 5200)",
]

TOOLS = {"wixl": "wixl", "msibuild": "msitools", "faketime": "faketime"}

# A cabinet keeps file times as DOS dates, which start in 1980 and end in 2107.
EARLIEST, LATEST = 315532800, 4354819199


class Failure(Exception):
    pass


def guid(name):
    return str(uuid.uuid5(NAMESPACE, name)).upper()


def product_code(arch, version):
    # One per version: a new version is a new product, which is what a major upgrade replaces.
    return guid("quendral/%s/%s" % (arch, version))


def component_guid(arch, component):
    # Not per version: the component keeps its GUID as long as it installs the same file to
    # the same place, as Windows Installer's component rules require.
    return guid("quendral/%s/component/%s" % (arch, component))


def check_version(version):
    """Windows Installer compares the first three fields only, so a fourth would make packages
    that neither upgrade nor refuse each other; each field has its own limit."""
    match = re.fullmatch(r"(0|[1-9][0-9]*)\.(0|[1-9][0-9]*)\.(0|[1-9][0-9]*)", version)
    if not match:
        raise Failure("--version %r is not MAJOR.MINOR.BUILD" % version)
    major, minor, build = (int(field) for field in match.groups())
    if major > 255 or minor > 255 or build > 65535:
        raise Failure("--version %s is past Windows Installer's 255.255.65535" % version)


def source_date_epoch():
    text = os.environ.get("SOURCE_DATE_EPOCH")
    if text is None:
        raise Failure("SOURCE_DATE_EPOCH is not set: it gives the time stamped into the package "
                      "(e.g. SOURCE_DATE_EPOCH=$(git log -1 --format=%ct))")
    if not re.fullmatch(r"[0-9]+", text):
        raise Failure("SOURCE_DATE_EPOCH=%r is not a number of seconds" % text)
    epoch = int(text)
    if not EARLIEST <= epoch <= LATEST:
        raise Failure("SOURCE_DATE_EPOCH=%d is outside 1980 to 2107, which a cabinet can hold"
                      % epoch)
    return epoch


def find_tools():
    found = {}
    for tool, package in TOOLS.items():
        found[tool] = shutil.which(tool)
        if not found[tool]:
            raise Failure("%s not found (Debian package %s)" % (tool, package))
    return found


def run(tool, command, env, cwd=None):
    """Runs command, whose program of interest is tool (the first word may be faketime)."""
    try:
        done = subprocess.run(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    except subprocess.TimeoutExpired:
        raise Failure("%s did not finish in 300 s" % tool) from None
    if done.returncode != 0:
        raise Failure("%s failed (exit %d):\n%s" % (tool, done.returncode,
                                                    done.stdout.decode(errors="replace")))


def frozen_clock(tools, epoch):
    """A command prefix and environment that run a program at SOURCE_DATE_EPOCH, stopped.
    libfaketime reads an absolute date in local time, so the zone is fixed too; without "@" the
    clock does not move, so a slow run stamps the same second as a fast one."""
    stamp = datetime.datetime.fromtimestamp(epoch, datetime.timezone.utc)
    # NO_FAKE_STAT: files keep their real times, so the exe's stands in the cabinet as set.
    env = dict(os.environ, TZ="UTC", LC_ALL="C", NO_FAKE_STAT="1")
    # A user's own libfaketime settings would change the clock the package is stamped with.
    for name in list(env):
        if name.startswith("FAKETIME") or name == "DONT_FAKE_MONOTONIC":
            del env[name]
    return [tools["faketime"], "-f", stamp.strftime("%Y-%m-%d %H:%M:%S")], env


def set_summary(tools, clock, env, msi, arch, package_code):
    run("msibuild", clock + [tools["msibuild"], msi, "-s", SUBJECT, MANUFACTURER, arch.template,
                 "{%s}" % package_code], env)


def make_msi(arch_name, version, exe, out):
    arch = ARCHES[arch_name]
    check_version(version)
    epoch = source_date_epoch()
    tools = find_tools()
    if not os.path.isfile(exe):
        raise Failure("--exe %s is not a file" % exe)
    clock, env = frozen_clock(tools, epoch)
    with tempfile.TemporaryDirectory(prefix="quendral-msi-") as work:
        # The cabinet takes the exe's modification time: the copy has the package's.
        staged = os.path.join(work, "quendral.exe")
        shutil.copyfile(exe, staged)
        os.utime(staged, (epoch, epoch))
        msi = os.path.join(work, "quendral.msi")
        defines = {
            "Version": version,
            "ProductCode": product_code(arch_name, version),
            "UpgradeCode": arch.upgrade_code,
            "ExeComponentGuid": component_guid(arch_name, "QuendralExe"),
            "ProgramFilesFolder": arch.program_files,
            "Win64": arch.win64,
            "Exe": "quendral.exe",
        }
        command = clock + [tools["wixl"], "--arch", arch.wixl_arch, "-o", "quendral.msi"]
        for name, value in sorted(defines.items()):
            command += ["-D", "%s=%s" % (name, value)]
        # In the work folder, where the exe's bare name finds the staged copy.
        run("wixl", command + [WXS], env, cwd=work)
        queries = [arg for query in ENVIRONMENT_SQL for arg in ("-q", query)]
        run("msibuild", clock + [tools["msibuild"], msi] + queries, env)
        # wixl draws the package code at random. It has to change whenever the package does,
        # so it is derived from the package's bytes with a fixed code in its place.
        set_summary(tools, clock, env, msi, arch, str(uuid.UUID(int=0)).upper())
        with open(msi, "rb") as built:
            digest = hashlib.sha256(built.read()).hexdigest()
        set_summary(tools, clock, env, msi, arch, guid("quendral/package/" + digest))
        out_folder = os.path.dirname(os.path.abspath(out))
        os.makedirs(out_folder, exist_ok=True)
        # Into place in one step, so a failed run leaves no half-written package behind.
        partial = out + ".partial"
        shutil.copyfile(msi, partial)
        os.replace(partial, out)


def main():
    parser = argparse.ArgumentParser(description="Makes Quendral's Windows Installer package.")
    parser.add_argument("--arch", required=True, choices=sorted(ARCHES))
    parser.add_argument("--version", required=True, help="MAJOR.MINOR.BUILD")
    parser.add_argument("--exe", required=True, help="the built quendral.exe")
    parser.add_argument("--out", required=True, help="the .msi to write")
    args = parser.parse_args()
    try:
        make_msi(args.arch, args.version, args.exe, args.out)
    except Failure as failure:
        sys.exit("make_msi.py: %s" % failure)


if __name__ == "__main__":
    main()
