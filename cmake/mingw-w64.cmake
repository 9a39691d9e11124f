# What the MinGW-w64 toolchain files share; each sets QUENDRAL_MINGW_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR for its Windows target, then includes this file.
if(NOT QUENDRAL_MINGW_TRIPLE)
  message(FATAL_ERROR "Use a toolchain file for one target, such as cmake/mingw-w64-x86_64.cmake")
endif()
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: GoogleTest needs std::mutex, which GCC 12's win32 model lacks. The
# tool starts no thread, and -static below keeps winpthread out of the import table.
find_program(CMAKE_CXX_COMPILER NAMES ${QUENDRAL_MINGW_TRIPLE}-g++-posix REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${QUENDRAL_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${QUENDRAL_MINGW_TRIPLE}-windres REQUIRED)
# Makes the WS2_32 import library from the target's .def in Quendral/.
find_program(CMAKE_DLLTOOL NAMES ${QUENDRAL_MINGW_TRIPLE}-dlltool REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${QUENDRAL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained exe: the compiler's own runtime goes inside it, so it imports nothing
# but Windows' system DLLs (on 32-bit, no libgcc_s_dw2-1.dll either).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest runs the test programs under the Wine of the target's width, in a prefix of the
# build's own that the runner makes on first use. An emulator given on the command line wins.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  get_filename_component(QUENDRAL_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/wine_run.sh
                         ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUENDRAL_WINE_RUN} --target ${CMAKE_SYSTEM_PROCESSOR}
                                    ${CMAKE_BINARY_DIR}/wineprefix)
endif()
