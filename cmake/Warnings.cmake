# Strict warnings for our own targets only; third-party headers come in as SYSTEM includes.
function(fretlark_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow=local -Wnon-virtual-dtor)
endfunction()
