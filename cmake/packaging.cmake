# What `cmake --install` puts where, and the packages CPack makes of it: a .deb and an .rpm on
# Linux, a .zip with the exe and its readme for Windows. packaging/release.sh makes all of them,
# and the MSI, from one commit.
include(GNUInstallDirs)

# Modes that the build machine's umask cannot change, in every package.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  # A zip for Windows users: the exe and its readme side by side at the top.
  install(TARGETS quendral RUNTIME DESTINATION .)
  # With the version filled in and Windows line ends, so every editor shows it as written.
  configure_file(docs/README-windows.txt.in ${CMAKE_CURRENT_BINARY_DIR}/README-windows.txt @ONLY
                 NEWLINE_STYLE CRLF)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README-windows.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
  else()
    set(CPACK_SYSTEM_NAME win32)
  endif()
  # The release signs the exe in the build tree before packing it, so CPack must take it as it
  # is: stripping it after that would break the signature. The linker strips it instead.
  set(CPACK_STRIP_FILES OFF)
else()
  install(TARGETS quendral RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Debian and RPM distributions keep manual pages and changelogs compressed; -n leaves the
  # name and time out, so the same text always packs to the same bytes.
  find_program(QUENDRAL_GZIP gzip REQUIRED)
  function(quendral_gzip source output)
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/gz
      COMMAND ${QUENDRAL_GZIP} -9nc ${source} > ${output}
      DEPENDS ${source}
      COMMENT "Compressing ${output}"
      VERBATIM)
  endfunction()
  # The page names the project version.
  configure_file(docs/quendral.1.in ${CMAKE_CURRENT_BINARY_DIR}/quendral.1 @ONLY)
  set(QUENDRAL_GZ ${CMAKE_CURRENT_BINARY_DIR}/gz)
  quendral_gzip(${CMAKE_CURRENT_BINARY_DIR}/quendral.1 ${QUENDRAL_GZ}/quendral.1.gz)
  quendral_gzip(${CMAKE_CURRENT_SOURCE_DIR}/docs/changelog ${QUENDRAL_GZ}/changelog.gz)
  add_custom_target(quendral_docs ALL DEPENDS ${QUENDRAL_GZ}/quendral.1.gz
                                              ${QUENDRAL_GZ}/changelog.gz)
  install(FILES ${QUENDRAL_GZ}/quendral.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # The changelog's newest entry is the version being packaged; a release that forgot it would
  # ship a package whose history stops one version short.
  file(STRINGS docs/changelog QUENDRAL_CHANGELOG_TOP LIMIT_COUNT 1)
  if(NOT QUENDRAL_CHANGELOG_TOP MATCHES "^quendral \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "docs/changelog starts with '${QUENDRAL_CHANGELOG_TOP}': its newest "
                        "entry must be for version ${PROJECT_VERSION}")
  endif()

  # Policy on both kinds of system: the copyright and the changelog in the package's doc folder.
  install(FILES docs/copyright ${QUENDRAL_GZ}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quendral)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_GENERATOR DEB)
  find_program(QUENDRAL_RPMBUILD rpmbuild)
  if(QUENDRAL_RPMBUILD)
    list(APPEND CPACK_GENERATOR RPM)
  endif()
endif()

set(CPACK_PACKAGE_NAME quendral)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zemblor Systems Inc.")
set(CPACK_PACKAGE_CONTACT "Zemblor Systems Inc. <quendral@zemblor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "checks that a host's names and addresses resolve back to each other")
# Lines of at most 80 columns, as both package formats show them.
set(CPACK_PACKAGE_DESCRIPTION
    "Quendral asks the system's host name resolver for one host's entry (hosts file,
DNS, or whatever else the system consults) and prints its official name,
address type and length, aliases and addresses. For every address it then
checks the round trip: the address is looked up in reverse to get its name,
that name is looked up forward, and its first address must be the address
under test. Warnings at the end count the addresses and names that did not
come back as they should.")
# Every package takes its time stamps from the commit (SOURCE_DATE_EPOCH), also when CPack is
# run by hand: the project config file below sets it from git when the caller did not.
configure_file(cmake/cpack_project_config.cmake.in
               ${CMAKE_CURRENT_BINARY_DIR}/CPackProjectConfig.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/CPackProjectConfig.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/cpack_stage_times.cmake)

# The target's architecture, not the build machine's, which CPack would ask dpkg and uname for.
set(QUENDRAL_DEBIAN_ARCHITECTURES x86_64=amd64 aarch64=arm64 i686=i386 armv7l=armhf)
foreach(pair ${QUENDRAL_DEBIAN_ARCHITECTURES})
  if(pair MATCHES "^${CMAKE_SYSTEM_PROCESSOR}=(.*)$")
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${CMAKE_MATCH_1})
  endif()
endforeach()
set(CPACK_RPM_PACKAGE_ARCHITECTURE ${CMAKE_SYSTEM_PROCESSOR})

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_RELEASE 1)
set(CPACK_RPM_PACKAGE_SUMMARY
    "Checks that a host's names and addresses resolve back to each other")
set(CPACK_RPM_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_RPM_PACKAGE_GROUP "Applications/System")
set(CPACK_RPM_PACKAGE_LICENSE "LicenseRef-Zemblor")
set(CPACK_PACKAGE_RELOCATABLE OFF)
# The file systems' own folders belong to the distribution's filesystem package.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION /usr/share/man /usr/share/man/man1)
# Packager, and a build time and host taken from the commit rather than the build machine.
# No build-id links: the distribution's debuginfo packages own that tree.
string(JOIN "\n" CPACK_RPM_SPEC_MORE_DEFINE
       "%define packager ${CPACK_PACKAGE_CONTACT}"
       "%define _buildhost reproducible"
       "%define use_source_date_epoch_as_buildtime 1"
       "%define clamp_mtime_to_source_date_epoch 1"
       "%define _build_id_links none")
set(CPACK_RPM_USER_FILELIST "%doc /usr/share/doc/quendral/changelog.gz"
                            "%license /usr/share/doc/quendral/copyright")

include(CPack)
