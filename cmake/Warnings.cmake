# Strict warnings for our own targets only; third-party headers come in as SYSTEM includes.
function(fretlark_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                         $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local> $<$<CXX_COMPILER_ID:Clang>:-Wshadow>
                         -Wnon-virtual-dtor)
endfunction()
