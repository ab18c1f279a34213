# SPDX-License-Identifier: MIT
# cmake -DSOURCE=... -DDEST=... -P install-initial-record.cmake
# Places the initial play record beside the program, but only where none exists yet: the file
# beside the program is the player's own record from the first start on.
if(NOT DEFINED SOURCE OR NOT DEFINED DEST)
  message(FATAL_ERROR "install-initial-record.cmake needs -DSOURCE and -DDEST")
endif()
if(NOT EXISTS "${DEST}")
  get_filename_component(dest_dir "${DEST}" DIRECTORY)
  file(MAKE_DIRECTORY "${dest_dir}")
  file(COPY_FILE "${SOURCE}" "${DEST}")
endif()
