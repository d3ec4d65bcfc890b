# Warnings are errors everywhere; orvane_warnings() applies them to one of our targets only, so
# third-party code built in the tree (GoogleTest) keeps its own flags.
#
# -Wconversion and -Wshadow stand in, on g++ and clang, for MSVC's /W4 narrowing (C4244, C4267)
# and shadowing (C4456-C4459) warnings, which cannot be checked on these machines.
# clang's -Wconversion also takes in -Wsign-conversion, which neither g++ nor /W4 turns on; leave
# it out so every compiler checks the same thing.
set(ORVANE_GCC_WARNINGS -Wall -Wextra -Wpedantic -Wconversion -Wshadow -Werror)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  list(APPEND ORVANE_GCC_WARNINGS -Wno-sign-conversion)
endif()

function(orvane_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8)
    target_compile_definitions(${target} PRIVATE NOMINMAX UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
  else()
    target_compile_options(${target} PRIVATE ${ORVANE_GCC_WARNINGS})
    if(WIN32)
      target_compile_definitions(${target} PRIVATE NOMINMAX UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
    endif()
  endif()
endfunction()
