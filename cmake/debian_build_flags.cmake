# The hardening of Debian's own packages: compiler and linker flags as dpkg-buildflags gives
# them (stack protector, FORTIFY, relro and BIND_NOW). The optimisation and debug levels stay
# the build type's. Its -ffile-prefix-map names the source folder, as reproducible.cmake does.
find_program(ZOK_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
set(ENV{DEB_BUILD_MAINT_OPTIONS} "hardening=+all")
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND ${ZOK_DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags
    OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(FILTER flags EXCLUDE REGEX "^-(g|O[0-9s]?)$")
  if(kind STREQUAL "LDFLAGS")
    add_link_options(${flags})
  else()
    add_compile_options(${flags})
  endif()
  message(STATUS "dpkg-buildflags ${kind}: ${flags}")
endforeach()
