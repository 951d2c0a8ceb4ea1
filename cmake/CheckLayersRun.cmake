# SPDX-License-Identifier: GPL-3.0-or-later
cmake_minimum_required(VERSION 3.22)
# The build-time half of CheckLayers.cmake: reads each layer's files and what
# they may include, and refuses every include that reaches upward, and every
# header of Qt Gui or Qt Widgets (DISPLAY_DIRS: their own include folders) in
# a display-free layer, in quotes or in angle brackets.
string(REPLACE "|" ";" layer_files "${LAYER_FILES}")
string(REPLACE "|" ";" display_dirs "${DISPLAY_DIRS}")

# Whether `header`, as the compiler would find it in a display folder or in
# the root it shares with Qt Core ("QtWidgets/QLabel"), is display code.
function(is_display_header header out)
  foreach(dir IN LISTS display_dirs)
    get_filename_component(shared_root "${dir}" DIRECTORY)
    foreach(path "${dir}/${header}" "${shared_root}/${header}")
      string(FIND "${path}" "${dir}/" at)
      if(at EQUAL 0 AND EXISTS "${path}")
        set(${out} TRUE PARENT_SCOPE)
        return()
      endif()
    endforeach()
  endforeach()
  set(${out} FALSE PARENT_SCOPE)
endfunction()

set(faults)
foreach(layer_file IN LISTS layer_files)
  set(display_free FALSE)
  include("${layer_file}")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    string(REPLACE "${ROOT}/" "" shown "${source}")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*$" "\\1" header "${line}")
      set(path "${ROOT}/${header}")
      if(EXISTS "${path}" AND NOT path IN_LIST allowed)
        list(APPEND faults "${shown} (layer ${layer}) includes ${header}, which is not in its layer or below")
      elseif(display_free)
        is_display_header("${header}" display)
        if(display)
          list(APPEND faults
               "${shown} (layer ${layer}) includes ${header}, a header of Qt Gui or Qt Widgets, in a layer with no display")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()
if(faults)
  # Printed as they are: an error's text is rewrapped, which would split the
  # file names.
  list(JOIN faults "\n  " text)
  message(NOTICE "Layering broken:\n  ${text}")
  message(FATAL_ERROR "Layering broken (see above)")
endif()
file(TOUCH "${STAMP}")
