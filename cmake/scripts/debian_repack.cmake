# CPack post-build script: removes the postinst and postrm scripts that CPack writes into a
# package holding a library under /usr/lib (they only call ldconfig, which the package's
# ldconfig trigger already does) and rebuilds the package with dpkg-deb. The contents, the
# md5sums and the other control files are unchanged; files are owned by root as before.
foreach(package ${CPACK_PACKAGE_FILES})
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${package}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${package} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  set(changed FALSE)
  foreach(script postinst postrm)
    if(EXISTS ${tree}/DEBIAN/${script})
      file(STRINGS ${tree}/DEBIAN/${script} commands REGEX "^[^#]")
      list(FILTER commands EXCLUDE REGEX "^[ \t]*(set -e|if \\[.*\\]; then|fi|ldconfig|exit 0)?[ \t]*$")
      if(commands)
        message(FATAL_ERROR "${package}: ${script} does more than call ldconfig: ${commands}")
      endif()
      file(REMOVE ${tree}/DEBIAN/${script})
      set(changed TRUE)
    endif()
  endforeach()
  if(changed)
    execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip --build ${tree} ${package}
      OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  endif()
  file(REMOVE_RECURSE ${tree})
endforeach()
