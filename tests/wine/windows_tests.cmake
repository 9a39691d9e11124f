# The cross build's Windows tests: every Windows test binary run under Wine (GoogleTest comes
# from cross_googletest.cmake), and the checks of the exe, its report and its zip from Linux.

# Test targets are run through the Wine of the target's width (the MinGW toolchain files name
# the same); the prefix lives in the build and is made on first use.
set(QUENDRAL_WINE_RUN ${CMAKE_CURRENT_SOURCE_DIR}/wine/wine_run.sh)
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUENDRAL_WINE_RUN} --target ${CMAKE_SYSTEM_PROCESSOR}
                                    ${CMAKE_BINARY_DIR}/wineprefix)
endif()
# The target line names the Wine the runner picks on this machine, and qemu when it goes
# through it; where Wine is missing, the runner's name stands for it (its tests are skipped).
if(NOT QUENDRAL_EMULATOR_NAME)
  execute_process(COMMAND ${QUENDRAL_WINE_RUN} --target ${CMAKE_SYSTEM_PROCESSOR}
                          ${CMAKE_BINARY_DIR}/wineprefix
                  OUTPUT_VARIABLE quendral_wine_how OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE quendral_wine_status)
  if(quendral_wine_status EQUAL 0)
    set(QUENDRAL_EMULATOR_NAME "${quendral_wine_how}")
  endif()
endif()

# The Linux build's binary, for the report comparison (tests/run.sh passes it).
set(QUENDRAL_NATIVE_BINARY "" CACHE FILEPATH "The Linux build's quendral, to compare reports with")

function(quendral_cross_tests)
  # What quendral_e2e_test hands its tests, here for the exe under Wine.
  set(QUENDRAL_E2E_ENV
      "QUENDRAL=$<TARGET_FILE:quendral>"
      "QUENDRAL_REFUSED=$<TARGET_FILE:refused_startup>"
      "QUENDRAL_CXX_EXE=$<TARGET_FILE:scripted_test>"
      "QUENDRAL_NATIVE=${QUENDRAL_NATIVE_BINARY}"
      "QUENDRAL_WINE_RUN=${QUENDRAL_WINE_RUN}"
      "QUENDRAL_WINDOWS_ARCH=${CMAKE_SYSTEM_PROCESSOR}"
      "QUENDRAL_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix"
      "QUENDRAL_BUILD=${CMAKE_BINARY_DIR}"
      "QUENDRAL_VERSION=${PROJECT_VERSION}"
      "QUENDRAL_CPACK=${CMAKE_CPACK_COMMAND}"
      "QUENDRAL_RC=${CMAKE_BINARY_DIR}/quendral.rc"
      "QUENDRAL_WS2_32_DEF=${QUENDRAL_WS2_32_DEF}")
  foreach(test pe rc def wine wine_dns zip)
    quendral_e2e_test(${test} ${test}_test.py windows)
  endforeach()
  set_tests_properties(wine PROPERTIES LABELS "e2e;windows;wine")
  # The DNS servers on loopback in namespaces of its own (root; skipped otherwise).
  set_tests_properties(wine_dns PROPERTIES LABELS "e2e;windows;wine;dns")
  set_tests_properties(scripted PROPERTIES LABELS "scripted;wine" SKIP_RETURN_CODE 77)
endfunction()
