# nudgeboard_optional_package(PACKAGE LEFT_OUT): finds PACKAGE quietly; where it is missing, says
# LEFT_OUT and skips the rest of the calling file, whose targets need it. A macro, not a function:
# its return() ends the file that called it, and the package's targets are that file's.
macro(nudgeboard_optional_package package left_out)
  find_package(${package} QUIET)
  if(NOT ${package}_FOUND)
    message(STATUS "${left_out}")
    return()
  endif()
endmacro()
