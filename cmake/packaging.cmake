# What `cmake --install` puts where, and the packages CPack makes of it: a .deb on Linux, a
# .zip with the exe and its readme for Windows.
include(GNUInstallDirs)

if(WIN32)
  # A zip for Windows users: the exe and its readme side by side at the top.
  install(TARGETS quendral RUNTIME DESTINATION .)
  # With the version filled in and Windows line ends, so every editor shows it as written.
  configure_file(docs/README-windows.txt.in ${CMAKE_CURRENT_BINARY_DIR}/README-windows.txt @ONLY
                 NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README-windows.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
else()
  install(TARGETS quendral RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The page names the project version. Debian keeps manual pages compressed; -n leaves the
  # name and time out, so the same page always packs to the same bytes.
  configure_file(docs/quendral.1.in ${CMAKE_CURRENT_BINARY_DIR}/quendral.1 @ONLY)
  find_program(QUENDRAL_GZIP gzip REQUIRED)
  set(QUENDRAL_MAN_PAGE ${CMAKE_CURRENT_BINARY_DIR}/man/quendral.1)
  add_custom_command(
    OUTPUT ${QUENDRAL_MAN_PAGE}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_BINARY_DIR}/quendral.1 ${QUENDRAL_MAN_PAGE}
    COMMAND ${QUENDRAL_GZIP} -9nf ${QUENDRAL_MAN_PAGE}
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/quendral.1
    COMMENT "Compressing the manual page"
    VERBATIM)
  add_custom_target(quendral_man ALL DEPENDS ${QUENDRAL_MAN_PAGE}.gz)
  install(FILES ${QUENDRAL_MAN_PAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGE_NAME quendral)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zemblor Systems Inc.")
set(CPACK_PACKAGE_CONTACT "Zemblor Systems Inc. <quendral@zemblor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "checks that a host's names and addresses resolve back to each other")
set(CPACK_PACKAGE_DESCRIPTION
    "Quendral asks the system's resolver for one host's entry, prints its name, aliases and \
addresses, and checks for every address that its reverse name leads back to it.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

include(CPack)
