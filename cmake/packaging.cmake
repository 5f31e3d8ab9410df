# Installation and packages.
#
# The native build installs the program, its manual page, the README, the
# licence as Debian's machine-readable copyright file and the package's
# changelog, and packs them as a Debian package: `cpack -G DEB` makes
# zelmo_<version>_<arch>.deb with a stripped program and, beside it,
# zelmo-dbgsym_<version>_<arch>.ddeb with its debug information.
#
# The Win32 build packs the program, the README and the licence into a zip,
# the texts as README.txt and LICENSE.txt with CR LF line ends, which Windows
# opens with a double click.

set(CPACK_PACKAGE_NAME zelmo)
set(CPACK_PACKAGE_VENDOR "ZELMO developers")
set(CPACK_PACKAGE_CONTACT "ZELMO developers <zelmo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "show or change the Read-only, Archive, System and Hidden attributes of files")

# zelmo_windows_text(SOURCE NAME): writes the text file SOURCE into the build
# tree as NAME with CR LF line ends; configuring again follows SOURCE's changes.
function(zelmo_windows_text source name)
  file(READ ${source} text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${CMAKE_BINARY_DIR}/${name} "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()

# zelmo_gzip(SOURCE OUTPUT): a build rule making OUTPUT, SOURCE compressed as
# Debian wants it: at the highest level, and without the name and time stamp
# that would make two builds of one source differ.
function(zelmo_gzip source output)
  string(REGEX REPLACE "\\.gz$" "" copy ${output})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
    COMMAND gzip -9nf ${copy}
    DEPENDS ${source}
    VERBATIM)
endfunction()

# zelmo_debian_copyright(OUTPUT): writes Debian's machine-readable copyright
# file from LICENSE, its copyright line and the terms below it. Debian names
# the MIT licence "Expat".
function(zelmo_debian_copyright output)
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
  if(NOT licence MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.+)$")
    message(FATAL_ERROR "LICENSE has no line \"Copyright (c) ...\" followed by the terms")
  endif()
  set(holders ${CMAKE_MATCH_1})
  string(STRIP "${CMAKE_MATCH_2}" terms)
  # In a field's continuation lines every line starts with a blank and an
  # empty line is a lone full stop.
  string(REPLACE "\n\n" "\n.\n" terms "${terms}")
  string(REPLACE "\n" "\n " terms "${terms}")
  file(CONFIGURE OUTPUT ${output} @ONLY CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: zelmo
Upstream-Contact: @CPACK_PACKAGE_CONTACT@

Files: *
Copyright: @holders@
License: Expat
 @terms@
")
endfunction()

if(WIN32)
  zelmo_windows_text(README.md README.txt)
  zelmo_windows_text(LICENSE LICENSE.txt)
  install(TARGETS zelmo RUNTIME DESTINATION .)
  install(FILES ${CMAKE_BINARY_DIR}/README.txt ${CMAKE_BINARY_DIR}/LICENSE.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  include(GNUInstallDirs)
  set(files ${CMAKE_BINARY_DIR}/package-files)
  zelmo_gzip(${PROJECT_SOURCE_DIR}/docs/zelmo.1 ${files}/zelmo.1.gz)
  zelmo_gzip(${PROJECT_SOURCE_DIR}/packaging/changelog ${files}/changelog.gz)
  add_custom_target(zelmo_package_files ALL DEPENDS ${files}/zelmo.1.gz ${files}/changelog.gz)
  zelmo_debian_copyright(${files}/copyright)

  # Directories as Debian has them, whatever the umask of the one who installs.
  set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  install(TARGETS zelmo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${files}/zelmo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md ${files}/copyright ${files}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The short description is the summary above; this is the long one.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "ZELMO lists the Read-only, Archive, System and Hidden attributes of files
and directories, one file, a wildcard mask or a whole tree, or sets and
clears them, with confirmation questions, an output file, paging, counts
and grand totals, and Italian messages.

On Linux it reads and writes them where Windows keeps them: the attribute
word of NTFS, the directory entry of FAT, the server's record behind an SMB
mount, and on Linux file systems the extended attribute user.DOSATTRIB,
where Samba keeps them for its Windows clients.")
  # The program's only dependencies are the C and C++ runtime libraries,
  # taken from the binary itself.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The program goes into the package stripped; its debug information (the
  # native build always compiles with -g) goes into the -dbgsym package,
  # found by the program's build ID.
  set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
  set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/dbgsym-repair.cmake)
endif()
include(CPack)
