# SPDX-License-Identifier: MIT
# debian/changelog is the one record of the releases: the packages ship it as it is, and the
# software-centre description and the manual page take their releases from it. Sets
#   BRANDEL_RELEASE_DATE   the newest release's date, YYYY-MM-DD
#   BRANDEL_RELEASES_XML   every release as AppStream <release> elements, newest first
# The newest entry must be this version: a release is written down before it is built.
set(changelog ${PROJECT_SOURCE_DIR}/debian/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(READ ${changelog} text)
# A placeholder keeps the text's semicolons out of CMake's list splitting.
string(ASCII 31 semicolon)
string(REPLACE ";" "${semicolon}" text "${text}")
string(REPLACE "&" "&amp${semicolon}" text "${text}")
string(REPLACE "<" "&lt${semicolon}" text "${text}")
string(REPLACE ">" "&gt${semicolon}" text "${text}")
string(REPLACE "\n" ";" lines "${text}")

set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(BRANDEL_RELEASES_XML "")
set(item "")
set(items "")
unset(BRANDEL_RELEASE_DATE)
foreach(line IN LISTS lines)
  if(line MATCHES "^    +([^ ].*)$" AND NOT item STREQUAL "")
    string(APPEND item " ${CMAKE_MATCH_1}")
    continue()
  endif()
  if(NOT item STREQUAL "")
    string(APPEND items "\n          <li>${item}</li>")
    set(item "")
  endif()
  if(line MATCHES "^[a-z0-9.+-]+ \\(([^)]+)\\) ")
    set(version ${CMAKE_MATCH_1})
    if(BRANDEL_RELEASES_XML STREQUAL "" AND NOT version STREQUAL PROJECT_VERSION)
      message(FATAL_ERROR "${changelog}: the newest release is ${version}, the project is "
                          "${PROJECT_VERSION}: write the release into the changelog")
    endif()
  elseif(line MATCHES "^  \\* (.*)$")
    set(item "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^ -- .*  [A-Z][a-z][a-z], ([0-9]+) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    list(FIND months ${CMAKE_MATCH_2} month)
    math(EXPR month "${month} + 1")
    set(date "${CMAKE_MATCH_3}-0${month}-0${CMAKE_MATCH_1}")
    string(REGEX REPLACE "-0([0-9][0-9])" "-\\1" date "${date}")
    if(NOT DEFINED BRANDEL_RELEASE_DATE)
      set(BRANDEL_RELEASE_DATE ${date})
    endif()
    string(APPEND BRANDEL_RELEASES_XML "
    <release version=\"${version}\" date=\"${date}\">
      <description>
        <ul>${items}
        </ul>
      </description>
    </release>")
    set(items "")
  endif()
endforeach()
if(NOT DEFINED BRANDEL_RELEASE_DATE)
  message(FATAL_ERROR "${changelog} holds no release")
endif()
string(REPLACE "${semicolon}" ";" BRANDEL_RELEASES_XML "${BRANDEL_RELEASES_XML}")
