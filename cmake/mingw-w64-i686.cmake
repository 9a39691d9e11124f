# Cross-builds the Windows console exe for 32-bit Windows on Linux with MinGW-w64 (Debian:
# g++-mingw-w64-i686); its tests run under 32-bit Wine (wine32:i386, and qemu-user where the
# kernel runs no 32-bit x86 programs).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUENDRAL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
