# GoogleTest for a cross build, compiled for the target from Debian's sources (googletest).
# find_package would find the build machine's GoogleTest; this one must be built for the target.
set(QUENDRAL_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
if(EXISTS ${QUENDRAL_GTEST_SOURCE}/CMakeLists.txt)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QUENDRAL_GTEST_SOURCE} ${CMAKE_CURRENT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Not our code: its warnings are its own.
  set_target_properties(gtest gtest_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
  set(GTest_FOUND TRUE)
endif()
