# SPDX-License-Identifier: MIT
# BRANDEL_SANITIZE=address  -> AddressSanitizer + UndefinedBehaviorSanitizer
# BRANDEL_SANITIZE=thread   -> ThreadSanitizer
set(BRANDEL_SANITIZE "" CACHE STRING "Sanitizer set: empty, address or thread")
if(BRANDEL_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(BRANDEL_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT BRANDEL_SANITIZE STREQUAL "")
  message(FATAL_ERROR "BRANDEL_SANITIZE must be empty, address or thread")
endif()
