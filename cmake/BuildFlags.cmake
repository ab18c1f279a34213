# SPDX-License-Identifier: MIT
# Debian's hardening flags in optimised builds, as dpkg-buildflags gives them with every
# hardening feature on: fortified functions, the stack protector, -z relro -z now. The build
# type keeps its own optimisation and debug-information flags. Other build types go without:
# _FORTIFY_SOURCE needs optimisation, the sanitizers check the same calls, and the Debian
# package's build (type None) has the flags from dpkg-buildpackage already.
option(BRANDEL_HARDENING "Add dpkg-buildflags' hardening flags to optimised builds" ON)
if(NOT BRANDEL_HARDENING OR NOT CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$"
   OR NOT BRANDEL_SANITIZE STREQUAL "")
  return()
endif()
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(NOT DPKG_BUILDFLAGS)
  message(STATUS "dpkg-buildflags not found: building without Debian's hardening flags")
  return()
endif()

function(brandel_buildflags name out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${DPKG_BUILDFLAGS} --get ${name}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  # Optimisation and debug information stay the build type's; the path map would hide this
  # tree's sources from a debugger.
  list(FILTER flags EXCLUDE REGEX "^-(O|g|ffile-prefix-map=)")
  set(${out} ${flags} PARENT_SCOPE)
endfunction()

brandel_buildflags(CPPFLAGS cppflags)
brandel_buildflags(CFLAGS cflags)
brandel_buildflags(CXXFLAGS cxxflags)
brandel_buildflags(LDFLAGS ldflags)
add_compile_options(${cppflags} "$<$<COMPILE_LANGUAGE:C>:${cflags}>"
                    "$<$<COMPILE_LANGUAGE:CXX>:${cxxflags}>")
add_link_options(${ldflags})
