# SPDX-License-Identifier: GPL-3.0-or-later
# Fails the build when a file of one layer includes a project header that
# belongs to a layer above it (or to no layer it links), and when a
# display-free layer reaches Qt Gui or Qt Widgets: by an include in either
# form, by what it links (at configure time), or by a symbol its objects use
# (a shared object of the layer's objects alone is linked with
# --no-undefined against only what the layer links). The include check runs
# at build time, again whenever a source changes.
#
#   murmelvox_check_layers(rules engine hotkeys desktop ui   # bottom up
#                          DISPLAY_FREE rules engine)

set(MURMELVOX_LAYER_CHECKS_DIR "${CMAKE_CURRENT_LIST_DIR}")

# Qt Gui's and Qt Widgets' own include folders (QtGui/, QtWidgets/), not the
# root they share with Qt Core: a header found there is display code.
function(murmelvox_display_include_dirs out)
  get_target_property(core Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
  set(dirs)
  foreach(module Gui Widgets)
    get_target_property(own Qt6::${module} INTERFACE_INCLUDE_DIRECTORIES)
    foreach(dir IN LISTS own)
      if(NOT dir MATCHES "^\\$<" AND NOT dir IN_LIST core)
        list(APPEND dirs "${dir}")
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES dirs)
  set(${out} "${dirs}" PARENT_SCOPE)
endfunction()

# Sets `out` to the chain "a -> b -> Qt6::Gui" by which `target` links Qt Gui
# or Qt Widgets, or to nothing.
function(murmelvox_display_link_chain target out)
  set(todo "${target}")
  set(seen)
  set(chain_${target} "${target}")
  while(todo)
    list(POP_FRONT todo current)
    if(current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen "${current}")
    # What it links itself (none for imported and interface targets) and
    # what it passes on to those that link it.
    set(links)
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(more ${current} ${property})
      if(more)
        list(APPEND links ${more})
      endif()
    endforeach()
    foreach(link IN LISTS links)
      if(link MATCHES "^\\$<(LINK_ONLY|TARGET_NAME_IF_EXISTS):(.+)>$")
        set(link "${CMAKE_MATCH_2}")
      endif()
      if(TARGET "${link}")
        get_target_property(aliased ${link} ALIASED_TARGET)
        if(aliased)
          set(link "${aliased}")
        endif()
      endif()
      set(chain "${chain_${current}} -> ${link}")
      if(link MATCHES "^Qt6?::(Gui|Widgets)$" OR link MATCHES "(^|/|-l)(lib)?Qt6(Gui|Widgets)(\\.so[.0-9]*)?$")
        set(${out} "${chain}" PARENT_SCOPE)
        return()
      endif()
      if(TARGET "${link}" AND NOT link IN_LIST seen)
        set(chain_${link} "${chain}")
        list(APPEND todo "${link}")
      endif()
    endforeach()
  endwhile()
  set(${out} "" PARENT_SCOPE)
endfunction()

function(murmelvox_check_layers)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "" "DISPLAY_FREE")
  set(layers ${arg_UNPARSED_ARGUMENTS})
  set(lists)
  set(all_sources)
  set(root "${PROJECT_SOURCE_DIR}/src")
  foreach(layer IN LISTS layers)
    get_target_property(sources murmelvox_${layer} SOURCES)
    get_target_property(dir murmelvox_${layer} SOURCE_DIR)
    set(own)
    foreach(source IN LISTS sources)
      if(source MATCHES "\\.(h|cpp)$" AND NOT source MATCHES "^\\$<")
        get_filename_component(source "${source}" ABSOLUTE BASE_DIR "${dir}")
        if(source MATCHES "^${PROJECT_SOURCE_DIR}/")
          list(APPEND own "${source}")
        endif()
      endif()
    endforeach()
    set(layer_files_${layer} "${own}")
    list(APPEND all_sources ${own})
    # What a layer may include: its own headers and those of every layer it links.
    set(allowed "${own}")
    get_target_property(links murmelvox_${layer} LINK_LIBRARIES)
    foreach(link IN LISTS links)
      if(link MATCHES "^murmelvox_(.+)$")
        list(APPEND allowed ${layer_files_${CMAKE_MATCH_1}})
      endif()
    endforeach()
    set(display_free FALSE)
    if(layer IN_LIST arg_DISPLAY_FREE)
      set(display_free TRUE)
    endif()
    set(file "${PROJECT_BINARY_DIR}/layers/${layer}.cmake")
    file(WRITE "${file}" "set(sources \"${own}\")\nset(allowed \"${allowed}\")\nset(layer ${layer})\n"
                         "set(display_free ${display_free})\n")
    list(APPEND lists "${file}")
  endforeach()

  foreach(layer IN LISTS arg_DISPLAY_FREE)
    if(NOT layer IN_LIST layers)
      message(FATAL_ERROR "murmelvox_check_layers: display-free layer ${layer} is not among the layers")
    endif()
    murmelvox_display_link_chain(murmelvox_${layer} chain)
    if(chain)
      message(NOTICE "Layering broken: layer ${layer} has no display but links Qt Gui or Widgets: ${chain}")
      message(FATAL_ERROR "Layering broken (see above)")
    endif()
    # The layer's objects alone, linked against only what the layer links:
    # a symbol of Qt Gui declared by hand and used stays undefined there.
    # Sanitized and fuzzing objects call their runtimes, which only
    # executables link; the plain build makes this check for them.
    if(MURMELVOX_SANITIZE OR MURMELVOX_FUZZ)
      continue()
    endif()
    get_target_property(links murmelvox_${layer} LINK_LIBRARIES)
    # Without the scope markers of links made from another folder.
    list(FILTER links EXCLUDE REGEX "^::@")
    set(alone murmelvox_${layer}_links_alone)
    add_library(${alone} SHARED)
    target_sources(${alone} PRIVATE $<TARGET_OBJECTS:murmelvox_${layer}>)
    if(links)
      target_link_libraries(${alone} PRIVATE ${links})
    endif()
    target_link_options(${alone} PRIVATE -Wl,--no-undefined)
    set_target_properties(${alone} PROPERTIES
        LIBRARY_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/layers" AUTOMOC OFF AUTOUIC OFF AUTORCC OFF
        RULE_LAUNCH_LINK "\"${CMAKE_COMMAND}\" -DLAYER=${layer} -P \"${MURMELVOX_LAYER_CHECKS_DIR}/CheckLayerLinks.cmake\" --")
    # The objects fit a shared object as they are: Qt compiles its users
    # position-independent (-fPIC).
  endforeach()

  murmelvox_display_include_dirs(display_dirs)
  list(JOIN lists "|" joined)
  list(JOIN display_dirs "|" display_joined)
  add_custom_command(
    OUTPUT "${PROJECT_BINARY_DIR}/layers/checked"
    COMMAND ${CMAKE_COMMAND} "-DLAYER_FILES=${joined}" -DROOT=${root} "-DDISPLAY_DIRS=${display_joined}"
            -DSTAMP=${PROJECT_BINARY_DIR}/layers/checked -P ${MURMELVOX_LAYER_CHECKS_DIR}/CheckLayersRun.cmake
    DEPENDS ${all_sources} ${MURMELVOX_LAYER_CHECKS_DIR}/CheckLayersRun.cmake
    COMMENT "Checking that no layer includes a layer above it, nor a display-free one Qt Gui or Widgets"
    VERBATIM)
  add_custom_target(check_layers ALL DEPENDS "${PROJECT_BINARY_DIR}/layers/checked")
  foreach(layer IN LISTS layers)
    add_dependencies(murmelvox_${layer} check_layers)
  endforeach()
endfunction()
