# Installation and packaging of libvelqon64: the library with its development link, the seven
# public headers (the opt-in porting kit VelqonWin32.h among them), a CMake package
# (find_package(Velqon) -> Velqon::velqon), a pkg-config file (velqon.pc) and a Debian package
# built by CPack. The install rules of the library target itself live beside it in
# src/CMakeLists.txt.
include(CMakePackageConfigHelpers)

set(VELQON_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Velqon)
set(VELQON_PKGCONFIG_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES
  include/VelqonMFC.h
  include/VelqonMfcContainers.h
  include/VelqonThread.h
  include/VelqonProcess.h
  include/VelqonProcInfo.h
  include/velqontools.h
  include/VelqonWin32.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# CMake package -------------------------------------------------------------------------------
install(EXPORT VelqonTargets
  NAMESPACE Velqon::
  DESTINATION ${VELQON_CMAKE_PACKAGE_DIR})
configure_package_config_file(cmake/VelqonConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/VelqonConfig.cmake
  INSTALL_DESTINATION ${VELQON_CMAKE_PACKAGE_DIR})
# Only the SONAME's major number breaks binary compatibility.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VelqonConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/VelqonConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/VelqonConfigVersion.cmake
  DESTINATION ${VELQON_CMAKE_PACKAGE_DIR})

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
configure_file(cmake/velqon.pc.in ${CMAKE_CURRENT_BINARY_DIR}/velqon.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/velqon.pc DESTINATION ${VELQON_PKGCONFIG_DIR})

# Debian package: `cpack -G DEB` in the build tree --------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velqon)
set(CPACK_PACKAGE_VENDOR "Velqon")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Windows programming interfaces for C++ code ported to Linux")
set(CPACK_PACKAGE_CONTACT "Velqon maintainers <velqon@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libstdc++6 (>= 12)")
# A shlibs file and the ldconfig trigger, derived from the SONAME.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
include(CPack)
