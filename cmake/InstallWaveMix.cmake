# SPDX-License-Identifier: MIT
# The mixer for other programs (install component "wavemix"): libwavemix.so.1 with its headers,
# pkg-config and CMake package files, wavemix-render with its manual page, the reference and
# the example. Both package files find the prefix from where they lie, so the tree can move.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(WAVEMIX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/WaveMix)
set(WAVEMIX_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/wavemix
    CACHE STRING "Where the reference and the example are installed, below the prefix")
get_target_property(WAVEMIX_VERSION wavemix_shared VERSION)

install(TARGETS wavemix_shared EXPORT WaveMixTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT wavemix NAMELINK_COMPONENT wavemix)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/wavemix
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT wavemix)

install(EXPORT WaveMixTargets NAMESPACE WaveMix:: DESTINATION ${WAVEMIX_CMAKE_DIR}
  COMPONENT wavemix)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/WaveMixConfig.cmake.in
  ${CMAKE_BINARY_DIR}/WaveMixConfig.cmake INSTALL_DESTINATION ${WAVEMIX_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/WaveMixConfigVersion.cmake
  VERSION ${WAVEMIX_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/WaveMixConfig.cmake ${CMAKE_BINARY_DIR}/WaveMixConfigVersion.cmake
  DESTINATION ${WAVEMIX_CMAKE_DIR} COMPONENT wavemix)

file(RELATIVE_PATH WAVEMIX_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" WAVEMIX_PC_TO_PREFIX "${WAVEMIX_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/wavemix.pc.in ${CMAKE_BINARY_DIR}/wavemix.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/wavemix.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT wavemix)

install(TARGETS wavemix-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT wavemix)
install(FILES ${PROJECT_SOURCE_DIR}/docs/wavemix-render.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT wavemix)
install(FILES ${PROJECT_SOURCE_DIR}/docs/wavemix.md DESTINATION ${WAVEMIX_DOC_DIR}
  COMPONENT wavemix)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/play-wave
  DESTINATION ${WAVEMIX_DOC_DIR}/examples COMPONENT wavemix)
