# Builds the Debian packages with CPack into WORK_DIR (nothing is installed on the machine),
# checks their control fields, control files and file lists (`dpkg-deb -c`), and unpacks both
# into WORK_DIR/root with `dpkg-deb -x` for the consumer tests.
#   libvelqon64-0  the versioned library, stripped, and its copyright and changelog
#   libvelqon-dev  development link, every public header in usr/include/velqon, the CMake
#                  package, velqon.pc, its copyright and changelog
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/helpers.cmake)

set(runtime libvelqon64-0)
set(dev libvelqon-dev)
set(lib usr/${LIBDIR})

file(REMOVE_RECURSE ${WORK_DIR})
run(${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR})
file(GLOB packages RELATIVE ${WORK_DIR} ${WORK_DIR}/*.deb ${WORK_DIR}/*.ddeb)
list(SORT packages)
set(expected ${dev}_${VERSION}_amd64.deb ${runtime}-dbgsym_${VERSION}_amd64.ddeb
             ${runtime}_${VERSION}_amd64.deb)
if(NOT packages STREQUAL expected)
  message(FATAL_ERROR "expected the packages ${expected}, found: ${packages}")
endif()

# expect_equal(<what> <expected> <actual>)
function(expect_equal what expected actual)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}:\n  expected: ${expected}\n  actual:   ${actual}")
  endif()
endfunction()

# check_package(<name> <section> <control files> <files...>): the control fields and control
# files of <name>'s package and its exact list of files (directories left out, links as
# "path -> target").
function(check_package name section control_files)
  set(deb ${WORK_DIR}/${name}_${VERSION}_amd64.deb)
  run(dpkg-deb -f ${deb} Package Version Architecture Section Source)
  expect_equal("${name} control fields"
    "Package: ${name}\nVersion: ${VERSION}\nArchitecture: amd64\nSection: ${section}\nSource: velqon\n"
    "${output}")
  run(dpkg-deb -I ${deb})
  matching_lines(members "${output}" "^ +[0-9]+ bytes, +[0-9]+ lines +([a-z0-9]+)")
  list(SORT members)
  expect_equal("${name} control files" "${control_files}" "${members}")

  run(dpkg-deb -c ${deb})
  matching_lines(entries "${output}" "^[^d][^ ]* +[^ ]+ +[0-9]+ [0-9-]+ [0-9:]+ \\./(.+)$")
  # The per-configuration part of the exported targets is named after the build type.
  list(TRANSFORM entries REPLACE "VelqonTargets-[a-z]+\\.cmake$" "VelqonTargets-<config>.cmake")
  set(expected ${ARGN} usr/share/doc/${name}/changelog.gz usr/share/doc/${name}/copyright)
  set(missing ${expected})
  list(REMOVE_ITEM missing ${entries})
  set(extra ${entries})
  list(REMOVE_ITEM extra ${expected})
  if(missing OR extra)
    string(REPLACE ";" "\n  " missing "${missing}")
    string(REPLACE ";" "\n  " extra "${extra}")
    message(FATAL_ERROR "${name}: contents differ\nmissing:\n  ${missing}\nunexpected:\n  ${extra}")
  endif()
  run(dpkg-deb -x ${deb} ${WORK_DIR}/root)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR}/root)
check_package(${runtime} libs "control;md5sums;shlibs;symbols;triggers" ${lib}/libvelqon64.so.0)

file(GLOB headers RELATIVE ${SOURCE_DIR}/include ${SOURCE_DIR}/include/*.h)
list(TRANSFORM headers PREPEND usr/include/velqon/)
check_package(${dev} libdevel "control;md5sums"
  "${lib}/libvelqon64.so -> libvelqon64.so.0"
  ${headers}
  ${lib}/cmake/Velqon/VelqonConfig.cmake
  ${lib}/cmake/Velqon/VelqonConfigVersion.cmake
  ${lib}/cmake/Velqon/VelqonTargets.cmake
  ${lib}/cmake/Velqon/VelqonTargets-<config>.cmake
  ${lib}/pkgconfig/velqon.pc)

# Dependencies: the development package needs exactly this runtime version; the runtime
# package the C and C++ run-time libraries, as dpkg-shlibdeps found them.
run(dpkg-deb -f ${WORK_DIR}/${dev}_${VERSION}_amd64.deb Depends)
expect_equal("${dev} dependencies" "${runtime} (= ${VERSION})\n" "${output}")
run(dpkg-deb -f ${WORK_DIR}/${runtime}_${VERSION}_amd64.deb Depends)
if(NOT output MATCHES "libc6 \\(>= [0-9.]+\\)" OR NOT output MATCHES "libstdc\\+\\+6 \\(>= ")
  message(FATAL_ERROR "${runtime} lacks its C or C++ run-time dependency: ${output}")
endif()

# Control files: a version floor for dependent programs, the ldconfig trigger in place of
# maintainer scripts.
file(REMOVE_RECURSE ${WORK_DIR}/control)
run(dpkg-deb -e ${WORK_DIR}/${runtime}_${VERSION}_amd64.deb ${WORK_DIR}/control)
file(READ ${WORK_DIR}/control/shlibs shlibs)
expect_equal("shlibs" "libvelqon64 0 ${runtime} (>= ${ABI_SINCE})\n" "${shlibs}")
file(READ ${WORK_DIR}/control/triggers triggers)
expect_equal("triggers" "activate-noawait ldconfig\n" "${triggers}")
file(STRINGS ${WORK_DIR}/control/symbols symbols)
list(GET symbols 0 first)
expect_equal("symbols header" "libvelqon64.so.0 ${runtime} #MINVER#" "${first}")
list(FILTER symbols INCLUDE REGEX "^ [^ ]+@Base ${ABI_SINCE}$")
run(${NM} -D --defined-only ${WORK_DIR}/root/${lib}/libvelqon64.so.0)
matching_lines(exported "${output}" "^[0-9a-fA-F]+ [A-Za-z] ([^@]+)")
list(LENGTH symbols listed_count)
list(LENGTH exported exported_count)
expect_equal("symbols file entries (one per exported symbol)" ${exported_count} ${listed_count})

# The packaged library carries no debug information; the dbgsym package holds it under the
# library's build ID.
run(${READELF} -S -n ${WORK_DIR}/root/${lib}/libvelqon64.so.0)
if(output MATCHES "\\.debug_info" OR NOT output MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
  message(FATAL_ERROR "the packaged library is not stripped or has no build ID:\n${output}")
endif()
set(debug_file usr/lib/debug/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug)
run(dpkg-deb -c ${WORK_DIR}/${runtime}-dbgsym_${VERSION}_amd64.ddeb)
if(NOT output MATCHES " \\./${debug_file}\n")
  message(FATAL_ERROR "the dbgsym package lacks ${debug_file}:\n${output}")
endif()

# The Debian changelog describes this version.
execute_process(COMMAND gzip -dc ${WORK_DIR}/root/usr/share/doc/${runtime}/changelog.gz
  OUTPUT_VARIABLE changelog COMMAND_ERROR_IS_FATAL ANY)
if(NOT changelog MATCHES "^velqon \\(${VERSION}\\) ")
  message(FATAL_ERROR "the changelog's first entry is not version ${VERSION}:\n${changelog}")
endif()
message("${packages}: contents as expected")
