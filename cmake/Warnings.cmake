# saldo_warnings(target): the project's warning set, as errors when SALDO_WERROR is on (CI).
function(saldo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Wcast-align -Woverloaded-virtual
                                           -Wimplicit-fallthrough)
  if(SALDO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
