# Cross-builds the Linux tool for 64-bit ARM with Debian's cross compiler
# (g++-aarch64-linux-gnu); CTest runs the build's programs under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(QUENDRAL_TARGET_TRIPLE aarch64-linux-gnu)

find_program(CMAKE_CXX_COMPILER NAMES ${QUENDRAL_TARGET_TRIPLE}-g++)
find_program(CMAKE_C_COMPILER NAMES ${QUENDRAL_TARGET_TRIPLE}-gcc)
if(NOT CMAKE_CXX_COMPILER OR NOT CMAKE_C_COMPILER)
  message(FATAL_ERROR "${QUENDRAL_TARGET_TRIPLE}-g++ or -gcc not found "
                      "(Debian package g++-${QUENDRAL_TARGET_TRIPLE})")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${QUENDRAL_TARGET_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under qemu-aarch64 with the cross compiler's C library (the script says why
# it is not called directly).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/qemu_user_run.sh aarch64
                                  ${CMAKE_FIND_ROOT_PATH})
# How the tests name it in the target line they print first.
set(QUENDRAL_EMULATOR_NAME qemu-aarch64)
