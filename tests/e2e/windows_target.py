"""The Windows target of the cross build under test, as CTest names it (QUENDRAL_WINDOWS_ARCH,
the build's CMAKE_SYSTEM_PROCESSOR), and what the tests hold each target's files to. The tests
check the files against this, never the other way round: an exe of the wrong width fails.
Without the variable the target is x64, the release's: its tier runs pe_test on the exe of
the win64 zip."""
import collections
import os

import harness

Target = collections.namedtuple("Target", [
    "machine",  # pefile's name of the header's machine
    "magic",  # the optional header's: PE32 or PE32+
    "ordinal_flag",  # the bit of an import thunk that makes it an import by ordinal
    "hardening",  # the DllCharacteristics every program must have: ASLR and DEP
    "wine_dlls",  # where Wine keeps its Windows DLLs of this width
    "wine_package",  # the Debian package that brings them
    "zip_system",  # CPack's system name in the zip's name
    "ws2_32_def",  # the .def in Quendral/ that binds the program's WS2_32 calls
])

DYNAMIC_BASE = "IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"
NX_COMPAT = "IMAGE_DLLCHARACTERISTICS_NX_COMPAT"
# ASLR over the 64-bit address space; a 32-bit process has no such thing.
HIGH_ENTROPY_VA = "IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA"


TARGETS = {
    "x86_64": Target(machine="IMAGE_FILE_MACHINE_AMD64", magic=0x20B, ordinal_flag=1 << 63,
                     hardening=(DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT),
                     wine_dlls=["/usr/lib/x86_64-linux-gnu/wine/x86_64-windows",
                                "/usr/lib64/wine/x86_64-windows", "/usr/lib/wine/x86_64-windows",
                                "/usr/local/lib/wine/x86_64-windows"], wine_package="wine64",
                     zip_system="win64", ws2_32_def="ws2_32.def"),
    "i686": Target(machine="IMAGE_FILE_MACHINE_I386", magic=0x10B, ordinal_flag=1 << 31,
                   hardening=(DYNAMIC_BASE, NX_COMPAT),
                   wine_dlls=["/usr/lib/i386-linux-gnu/wine/i386-windows",
                              "/usr/lib32/wine/i386-windows", "/usr/lib/wine/i386-windows",
                              "/usr/local/lib/wine/i386-windows"], wine_package="wine32:i386",
                   zip_system="win32", ws2_32_def="ws2_32_x86.def"),
}

ARCH = os.environ.get("QUENDRAL_WINDOWS_ARCH", "x86_64")
if ARCH not in TARGETS:
    harness.skip("QUENDRAL_WINDOWS_ARCH names no Windows target the tests know (%r; one of %s)"
                 % (ARCH, ", ".join(sorted(TARGETS))))
TARGET = TARGETS[ARCH]
