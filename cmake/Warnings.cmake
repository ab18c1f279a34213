# SPDX-License-Identifier: MIT
# Warnings are errors in our own code; third-party headers come in as system includes.
function(brandel_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror
    -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wimplicit-fallthrough -Wcast-align)
endfunction()
