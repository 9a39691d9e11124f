# Cross-builds the Windows console exe on Linux with MinGW-w64 (Debian: g++-mingw-w64-x86-64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUENDRAL_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix thread model: GoogleTest needs std::mutex, which GCC 12's win32 model lacks. The
# tool starts no thread, and -static below keeps winpthread out of the import table.
find_program(CMAKE_CXX_COMPILER NAMES ${QUENDRAL_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${QUENDRAL_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QUENDRAL_MINGW_TRIPLE}-windres REQUIRED)
# Makes the WS2_32 import library from Quendral/ws2_32.def.
find_program(CMAKE_DLLTOOL NAMES ${QUENDRAL_MINGW_TRIPLE}-dlltool REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${QUENDRAL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained exe: the compiler's own runtime goes inside it, so it imports nothing
# but Windows' system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
