# Installation and packaging of libvelqon64: the library with its development link, the public
# headers (the opt-in porting kit VelqonWin32.h among them) in include/velqon/, a CMake package
# (find_package(Velqon) -> Velqon::velqon), a pkg-config file (velqon.pc) and two Debian
# packages built by CPack. The install rules of the
# library target itself live beside it in src/CMakeLists.txt.
#
# Components: Runtime (the versioned library) and Development (everything a build needs).
include(CMakePackageConfigHelpers)

set(VELQON_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Velqon)
set(VELQON_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# Every public header, in a directory of its own: names such as velqontools.h stay out of the
# shared include directory. The CMake target and velqon.pc put include/velqon itself on the
# include path, so consumers write #include "VelqonMFC.h" as before.
file(GLOB VELQON_PUBLIC_HEADERS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/include/*.h)
install(FILES ${VELQON_PUBLIC_HEADERS}
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/velqon COMPONENT Development)

# CMake package -------------------------------------------------------------------------------
install(EXPORT VelqonTargets
  NAMESPACE Velqon::
  DESTINATION ${VELQON_CMAKE_PACKAGE_DIR} COMPONENT Development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/VelqonConfig.cmake.in
  ${PROJECT_BINARY_DIR}/VelqonConfig.cmake
  INSTALL_DESTINATION ${VELQON_CMAKE_PACKAGE_DIR})
# Only the SONAME's major number breaks binary compatibility.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/VelqonConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${PROJECT_BINARY_DIR}/VelqonConfig.cmake
  ${PROJECT_BINARY_DIR}/VelqonConfigVersion.cmake
  DESTINATION ${VELQON_CMAKE_PACKAGE_DIR} COMPONENT Development)

# pkg-config ----------------------------------------------------------------------------------
# The .pc file finds its prefix from its own location (${pcfiledir}), so the same file works in
# a staging prefix, in the Debian package and after `cmake --install --prefix <anywhere>`.
file(RELATIVE_PATH VELQON_PC_TO_PREFIX /prefix/${VELQON_PKGCONFIG_DIR} /prefix)
string(REGEX REPLACE "/$" "" VELQON_PC_TO_PREFIX "${VELQON_PC_TO_PREFIX}")
foreach(kind LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${kind}}")
    set(VELQON_PC_${kind} "${CMAKE_INSTALL_${kind}}")
  else()
    set(VELQON_PC_${kind} "\${prefix}/${CMAKE_INSTALL_${kind}}")
  endif()
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/cmake/velqon.pc.in ${PROJECT_BINARY_DIR}/velqon.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/velqon.pc
  DESTINATION ${VELQON_PKGCONFIG_DIR} COMPONENT Development)

if(NOT PROJECT_IS_TOP_LEVEL)
  return()  # an including project packages itself
endif()

# Debian packages: `cpack -G DEB` in the build tree -------------------------------------------
#   libvelqon64-0   the versioned library only, named after its SONAME (Debian policy 8.1)
#   libvelqon-dev   development link, headers, CMake package and velqon.pc; depends on exactly
#                   the same version of libvelqon64-0
#   libvelqon64-0-dbgsym_*.ddeb  the library's debug information, split off by CPack
# Both install under /usr, the library in the multiarch directory (CMakeLists.txt).
set(VELQON_DEB_RUNTIME libvelqon64-0)
set(VELQON_DEB_DEVELOPMENT libvelqon-dev)
set(VELQON_PACKAGE_CONTACT "Velqon maintainers <maintainers@users.noreply.c-seed-00fde097.example>"
  CACHE STRING "Maintainer of the Debian packages")

# The oldest release whose library satisfies a program built against this one: the version in
# the packages' shlibs and symbols files. It changes only when a release adds to the ABI, that
# is together with abi/libvelqon64.so.0.abi and a line in CHANGELOG.md (see cmake/Abi.cmake).
set(VELQON_ABI_SINCE 2.2.12)

# Files of the Debian packages that a plain `cmake --install` leaves out (EXCLUDE_FROM_ALL):
# each package's copyright file and changelog, compressed as policy wants (gzip -9n: best
# compression, no name or time stamp in the header). packaging/debian/changelog is the Debian
# changelog of the packages; its first entry must carry the project's version.
set(deb_dir ${PROJECT_BINARY_DIR}/debian)
file(MAKE_DIRECTORY ${deb_dir})
find_program(VELQON_GZIP gzip)
if(VELQON_GZIP)
  execute_process(COMMAND ${VELQON_GZIP} -9nc ${PROJECT_SOURCE_DIR}/packaging/debian/changelog
    OUTPUT_FILE ${deb_dir}/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/packaging/debian/changelog)
  foreach(component Runtime Development)
    string(TOUPPER ${component} upper)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/copyright ${deb_dir}/changelog.gz
      DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${VELQON_DEB_${upper}}
      COMPONENT ${component} EXCLUDE_FROM_ALL)
  endforeach()
endif()

# Control files of the runtime package:
# - shlibs: programs linked against libvelqon64.so.0 depend on libvelqon64-0 of at least
#   VELQON_ABI_SINCE;
# - symbols: the same per exported symbol, for dpkg-shlibdeps (written from the built library's
#   dynamic symbol table by scripts/debian_symbols.cmake after each link, so it always matches it);
# - triggers: the loader cache is refreshed through libc's ldconfig trigger, not by scripts.
file(WRITE ${deb_dir}/shlibs
  "libvelqon64 0 ${VELQON_DEB_RUNTIME} (>= ${VELQON_ABI_SINCE})\n")
file(WRITE ${deb_dir}/triggers "activate-noawait ldconfig\n")
add_custom_command(OUTPUT ${deb_dir}/symbols
  COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DLIBRARY=$<TARGET_FILE:velqon>
          -DPACKAGE=${VELQON_DEB_RUNTIME} -DDEV_PACKAGE=${VELQON_DEB_DEVELOPMENT}
          -DVERSION=${VELQON_ABI_SINCE} -DOUTPUT=${deb_dir}/symbols
          -P ${PROJECT_SOURCE_DIR}/cmake/scripts/debian_symbols.cmake
  DEPENDS velqon $<TARGET_FILE:velqon> ${PROJECT_SOURCE_DIR}/cmake/scripts/debian_symbols.cmake
  COMMENT "Writing the Debian symbols file of libvelqon64.so.0"
  VERBATIM)
add_custom_target(velqon-debian-symbols ALL DEPENDS ${deb_dir}/symbols)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velqon)
set(CPACK_PACKAGE_VENDOR "Velqon")
set(CPACK_PACKAGE_CONTACT "${VELQON_PACKAGE_CONTACT}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE velqon)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Control files with the permissions dpkg expects (0644), whatever the umask of the build.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Description lines stay within 80 columns (lintian extended-description-line-too-long).
string(CONCAT VELQON_DEB_DESCRIPTION
  "libvelqon64 lets application code written against Windows programming\n"
  "interfaces build and run on Linux unchanged at its call sites: a\n"
  "copy-on-write string class, seventeen collection classes, descriptor and\n"
  "stream files, directory search, time values, Win32-named events,\n"
  "multi-object waits, threads, interlocked counters, process and host\n"
  "queries and CRC-32.")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${VELQON_DEB_RUNTIME})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
string(CONCAT CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "Windows programming interfaces for C++ code ported to Linux\n${VELQON_DEB_DESCRIPTION}\n\n"
  "This package contains the shared library.")
# The run-time dependencies (libc6, libstdc++6, libgcc-s1) as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
# Strips the library and puts its debug information into libvelqon64-0-dbgsym.
set(CPACK_DEBIAN_RUNTIME_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
  ${deb_dir}/shlibs ${deb_dir}/symbols ${deb_dir}/triggers)

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${VELQON_DEB_DEVELOPMENT})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
string(CONCAT CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
  "Windows programming interfaces for C++ code ported to Linux - development files\n"
  "${VELQON_DEB_DESCRIPTION}\n\n"
  "This package contains the headers, the development link, the CMake\n"
  "package (find_package(Velqon)) and the pkg-config file (velqon.pc).")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS
  "${VELQON_DEB_RUNTIME} (= ${PROJECT_VERSION})")

# CPack adds postinst and postrm scripts that call ldconfig to any package with a library under
# /usr/lib, and offers no setting to leave them out; the ldconfig trigger above does their work,
# and lintian rightly warns about the calls. scripts/debian_repack.cmake takes them out of the
# built runtime package again (rebuilding it with dpkg-deb, contents unchanged).
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/scripts/debian_repack.cmake)

# lintian reports no error and no warning on the two packages (test packaging.Lintian). The
# informational tags it may still report, each with the reason it stays:
# - binary-has-unneeded-section: CPack strips the library with objcopy --strip-unneeded, which
#   keeps the .comment section (a few bytes naming the compiler of the library and of the C
#   run-time start files). Removing it would mean stripping again after CPack; it costs nothing.
set(VELQON_LINTIAN_NOTES binary-has-unneeded-section)
include(CPack)
