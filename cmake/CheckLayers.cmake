# SPDX-License-Identifier: GPL-3.0-or-later
# Fails the build when a file of one layer includes a project header that
# belongs to a layer above it (or to no layer it links). Run at build time,
# again whenever a source changes.
#
#   murmelvox_check_layers(rules engine hotkeys desktop ui)   # bottom up

function(murmelvox_check_layers)
  set(lists)
  set(all_sources)
  foreach(layer IN LISTS ARGN)
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
    set(file "${PROJECT_BINARY_DIR}/layers/${layer}.cmake")
    file(WRITE "${file}" "set(sources \"${own}\")\nset(allowed \"${allowed}\")\nset(layer ${layer})\n")
    list(APPEND lists "${file}")
  endforeach()
  list(JOIN lists "|" joined)
  add_custom_command(
    OUTPUT "${PROJECT_BINARY_DIR}/layers/checked"
    COMMAND ${CMAKE_COMMAND} "-DLAYER_FILES=${joined}" -DROOT=${PROJECT_SOURCE_DIR}/src
            -DSTAMP=${PROJECT_BINARY_DIR}/layers/checked -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayersRun.cmake
    DEPENDS ${all_sources} ${PROJECT_SOURCE_DIR}/cmake/CheckLayersRun.cmake
    COMMENT "Checking that no layer includes a layer above it"
    VERBATIM)
  add_custom_target(check_layers ALL DEPENDS "${PROJECT_BINARY_DIR}/layers/checked")
  foreach(layer IN LISTS ARGN)
    add_dependencies(murmelvox_${layer} check_layers)
  endforeach()
endfunction()
