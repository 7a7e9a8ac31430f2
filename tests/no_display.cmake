# Without a display the game prints one line saying so and how to use xvfb-run, and exits 1.
# Run as: cmake -DGAME=<path> -DDISPLAY_VALUE=<value or empty> -P no_display.cmake
# With -DPLATFORM=<name> the toolkit is asked for a platform it lacks instead: then the game
# passes the toolkit's own words on, and names no display it does not need.
if(PLATFORM)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=${PLATFORM} ${GAME}
                  RESULT_VARIABLE result ERROR_VARIABLE err TIMEOUT 20)
  if(NOT result EQUAL 1 OR NOT err MATCHES "platform plugin" OR err MATCHES "xvfb-run")
    message(FATAL_ERROR "status '${result}', stderr: ${err}")
  endif()
  return()
endif()
set(env_args --unset=QT_QPA_PLATFORM --unset=WAYLAND_DISPLAY)
if(DISPLAY_VALUE)
  list(APPEND env_args DISPLAY=${DISPLAY_VALUE})
else()
  list(APPEND env_args --unset=DISPLAY)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${env_args} ${GAME}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 20)
string(REGEX MATCHALL "\n" newlines "${err}")
list(LENGTH newlines lines)
if(NOT result EQUAL 1)
  message(FATAL_ERROR "exit status '${result}', not 1; stderr: ${err}")
endif()
if(NOT lines EQUAL 1 OR NOT err MATCHES "no display" OR NOT err MATCHES "xvfb-run")
  message(FATAL_ERROR "expected one line naming xvfb-run, got: ${err}")
endif()
# The hint names a command that works from any folder: here the game's full path.
string(FIND "${err}" "xvfb-run -a ${GAME}\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the hint does not name ${GAME}: ${err}")
endif()
if(NOT out STREQUAL "")
  message(FATAL_ERROR "printed on standard output: ${out}")
endif()
