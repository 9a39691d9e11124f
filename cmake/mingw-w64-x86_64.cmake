# Cross-builds the Windows console exe for 64-bit Windows on Linux with MinGW-w64 (Debian:
# g++-mingw-w64-x86-64); its tests run under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUENDRAL_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
