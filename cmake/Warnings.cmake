# Warnings are errors on every compiler we ship with.
function(aldermark_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
endfunction()
