# What every Windows program of the build shares: WS2_32 bound by ordinal, and a link that gives
# the same exe from any build folder with ASLR and DEP on. Included before the programs are
# defined, so that the link options reach all of them, the tests' included.

# The import library, made from the target's .def by the toolchain's own tool: with NONAME
# ordinals the exe's import table names no Windows Sockets function. quendral_ws2_32 stands
# for it in target_link_libraries.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QUENDRAL_WS2_32_DEF ${PROJECT_SOURCE_DIR}/Quendral/ws2_32.def)
  set(QUENDRAL_DLLTOOL_MACHINE i386:x86-64)
else()
  # 32-bit stdcall calls are named with their argument bytes (_WSAStartup@8): this .def's
  # names carry the @N suffixes, so that the library holds the names the compiler emits, and
  # dlltool's -k strips them from what the library says of the export.
  set(QUENDRAL_WS2_32_DEF ${PROJECT_SOURCE_DIR}/Quendral/ws2_32_x86.def)
  set(QUENDRAL_DLLTOOL_MACHINE i386)
endif()
if(MSVC)
  set(QUENDRAL_WS2_32_LIB ${CMAKE_CURRENT_BINARY_DIR}/ws2_32_ordinal.lib)
  # CMAKE_AR is lib.exe; the architecture id is the /machine value (x64, X86, ARM64).
  add_custom_command(
    OUTPUT ${QUENDRAL_WS2_32_LIB}
    COMMAND ${CMAKE_AR} /nologo /def:${QUENDRAL_WS2_32_DEF} /out:${QUENDRAL_WS2_32_LIB}
            /machine:${CMAKE_CXX_COMPILER_ARCHITECTURE_ID}
    DEPENDS ${QUENDRAL_WS2_32_DEF}
    COMMENT "Making the WS2_32 import library by ordinal"
    VERBATIM)
elseif(MINGW)
  # The toolchain file names it; without one CMake finds it next to the compiler.
  if(NOT CMAKE_DLLTOOL)
    message(FATAL_ERROR "dlltool not found (MinGW's binutils): it makes the WS2_32 import library")
  endif()
  set(QUENDRAL_WS2_32_LIB ${CMAKE_CURRENT_BINARY_DIR}/libws2_32_ordinal.a)
  # dlltool names the library's symbols after the output path as it is given, and they go into
  # the exe's symbol table: a bare name keeps the build folder out of the exe.
  add_custom_command(
    OUTPUT ${QUENDRAL_WS2_32_LIB}
    COMMAND ${CMAKE_DLLTOOL} -m ${QUENDRAL_DLLTOOL_MACHINE} -k -d ${QUENDRAL_WS2_32_DEF}
            -l libws2_32_ordinal.a
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DEPENDS ${QUENDRAL_WS2_32_DEF}
    COMMENT "Making the WS2_32 import library by ordinal"
    VERBATIM)
else()
  message(FATAL_ERROR "No way known to make the WS2_32 import library with ${CMAKE_CXX_COMPILER_ID}")
endif()
add_custom_target(quendral_ws2_32_implib DEPENDS ${QUENDRAL_WS2_32_LIB})
add_library(quendral_ws2_32 INTERFACE)
target_link_libraries(quendral_ws2_32 INTERFACE ${QUENDRAL_WS2_32_LIB})
add_dependencies(quendral_ws2_32 quendral_ws2_32_implib)

if(MINGW)
  # No link time in the PE header, so two builds of the same sources give the same bytes. ASLR
  # (with the 64-bit address space where there is one) and DEP are binutils' defaults today;
  # spelled out, they stay on whatever a linker's defaults become.
  add_link_options(LINKER:--no-insert-timestamp LINKER:--dynamicbase LINKER:--nxcompat)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    # The 32-bit linker knows no such option: a 32-bit process has no address space to spread.
    add_link_options(LINKER:--high-entropy-va)
  endif()
  # Stripped by the linker, not by CPack: the release signs the exe before it is packed, and a
  # strip after that would break the signature.
  add_link_options($<$<CONFIG:Release,MinSizeRel>:-s>)
endif()
