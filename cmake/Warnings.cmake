# Warnings are errors everywhere; orvane_warnings() applies them to one of our targets only, so
# third-party code built in the tree (GoogleTest) keeps its own flags.
function(orvane_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8)
    target_compile_definitions(${target} PRIVATE NOMINMAX UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
    if(WIN32)
      target_compile_definitions(${target} PRIVATE NOMINMAX UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
    endif()
  endif()
endfunction()
