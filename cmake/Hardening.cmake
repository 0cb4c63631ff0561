# Hardening of the shared library in optimised builds (Release, RelWithDebInfo, MinSizeRel), on
# by default (VELQON_HARDENING), as Debian builds its libraries:
# - _FORTIFY_SOURCE=2: the C library checks the bounds it can see at compile time in memcpy,
#   snprintf, fgets, read and their relatives (it needs the optimiser, hence release builds only;
#   string formatting keeps level 1, see below);
# - -z relro and -z now: every symbol is bound when the library is loaded and the relocated data,
#   the global offset table included, is read-only afterwards.
# docs/PERFORMANCE.md records the benchmarks with and without it (no measurable difference).
# Sanitizer and fuzzing builds leave it out: they are Debug builds, and AddressSanitizer does
# its own, finer bounds checking. A _FORTIFY_SOURCE level given in CMAKE_CXX_FLAGS stands.
if(NOT VELQON_HARDENING OR VELQON_SANITIZE OR VELQON_FUZZ)
  return()
endif()

set(release_configs "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
if(NOT "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}}" MATCHES "_FORTIFY_SOURCE")
  # -U first: some compilers predefine a level of their own.
  target_compile_options(velqon PRIVATE
    "$<${release_configs}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
endif()
# CPortableString::Format hands the caller's format to vsnprintf, and what its %n conversions
# store is part of what Format does. From level 2 on, glibc stops the process at a %n in a format
# held in writable memory (any format built at run time), so the one source that formats for
# callers is fortified at level 1: the same bounds checks, no %n check.
set_property(SOURCE ${PROJECT_SOURCE_DIR}/src/strings/string_format.cpp TARGET_DIRECTORY velqon
  APPEND PROPERTY COMPILE_OPTIONS "$<${release_configs}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=1>")
target_link_options(velqon PRIVATE "$<${release_configs}:-Wl,-z,relro,-z,now>")
