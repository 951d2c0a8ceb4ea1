# SPDX-License-Identifier: GPL-3.0-or-later
cmake_minimum_required(VERSION 3.22)
# Runs the link of a display-free layer's objects alone (the command after
# "--") and, when it fails, says which layer needs what from outside.
set(command)
set(collect FALSE)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(collect)
    list(APPEND command "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(collect TRUE)
  endif()
endforeach()
execute_process(COMMAND ${command} RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(failed)
  string(REGEX MATCHALL "undefined reference to `[^']+'" missing "${output}")
  list(REMOVE_DUPLICATES missing)
  list(TRANSFORM missing REPLACE "undefined reference to `([^']+)'" "\\1")
  list(JOIN missing "\n  " missing_text)
  message(NOTICE "${output}\nLayering broken: layer ${LAYER} does not link on its own; its objects use what nothing "
                 "it links defines (a display-free layer may not reach Qt Gui or Widgets):\n  ${missing_text}")
  message(FATAL_ERROR "Layering broken (see above)")
endif()
