# Run by CPack after it made the packages (CPACK_POST_BUILD_SCRIPTS): mends the
# -dbgsym package of the Debian generator of CMake 3.25, whose md5sums name
# the files by their paths in the build tree, and which lacks the link
# usr/share/doc/<package>-dbgsym -> <package> that gives Debian's debug
# packages their copyright and changelog. Unpacks it, writes both, packs it
# again in place; its debug files become mode 644, as in Debian's.

foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "/([^/_]+)-dbgsym_[^/]*\\.ddeb$")
    continue()
  endif()
  set(main_package ${CMAKE_MATCH_1})
  set(tree ${CPACK_TOPLEVEL_DIRECTORY}/dbgsym-repair)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)

  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${tree} ${tree}/usr/*)
  list(SORT files)
  set(sums "")
  foreach(file IN LISTS files)
    # Data, not programs, as in Debian's own debug packages.
    file(CHMOD ${tree}/${file} FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    file(MD5 ${tree}/${file} sum)
    string(APPEND sums "${sum}  ${file}\n")
  endforeach()
  file(WRITE ${tree}/DEBIAN/md5sums "${sums}")

  file(MAKE_DIRECTORY ${tree}/usr/share/doc)
  file(CREATE_LINK ${main_package} ${tree}/usr/share/doc/${main_package}-dbgsym SYMBOLIC)
  execute_process(COMMAND dpkg-deb --root-owner-group --build ${tree} ${package}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
