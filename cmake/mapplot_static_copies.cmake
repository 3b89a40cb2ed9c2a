# Shared libraries export only the public API and what mapplot's other
# libraries use, while tests and benchmarks reach into every library's
# internals. In a shared build they link static copies instead, made of the
# same object files: mapplot_<name>_static for each library mapplot_<name> of
# mapplot_libraries.

# `out` = `items` with every copied library, by name or mapplot:: alias and
# also inside generator expressions, replaced by its static copy.
function(mapplot_to_static_copies out)
  set(result "")
  foreach(item IN LISTS ARGN)
    foreach(library IN LISTS mapplot_libraries)
      string(REGEX REPLACE "^mapplot_" "" name ${library})
      string(REGEX REPLACE "(^|[^A-Za-z0-9_:])(${library}|mapplot::${name})([^A-Za-z0-9_]|$)"
        "\\1${library}_static\\3" item "${item}")
    endforeach()
    list(APPEND result "${item}")
  endforeach()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

function(mapplot_make_static_copies)
  foreach(library IN LISTS mapplot_libraries)
    # Objects the library takes from object libraries come along.
    get_target_property(sources ${library} SOURCES)
    list(FILTER sources INCLUDE REGEX "^\\$<TARGET_OBJECTS:")
    add_library(${library}_static STATIC EXCLUDE_FROM_ALL $<TARGET_OBJECTS:${library}> ${sources})
    set_target_properties(${library}_static PROPERTIES LINKER_LANGUAGE CXX)
    foreach(property INCLUDE_DIRECTORIES COMPILE_FEATURES COMPILE_DEFINITIONS)
      get_target_property(value ${library} INTERFACE_${property})
      if(value)
        set_property(TARGET ${library}_static PROPERTY INTERFACE_${property} "${value}")
      endif()
    endforeach()
    get_target_property(links ${library} LINK_LIBRARIES)
    if(links)
      mapplot_to_static_copies(links ${links})
      target_link_libraries(${library}_static PUBLIC ${links})
    endif()
  endforeach()
endfunction()

# Object libraries under src/ that tests link take the static copies along.
function(mapplot_object_libraries_link_static_copies folder)
  get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
    if(type STREQUAL "OBJECT_LIBRARY" AND links)
      mapplot_to_static_copies(links ${links})
      set_property(TARGET ${target} PROPERTY INTERFACE_LINK_LIBRARIES "${links}")
    endif()
  endforeach()
  get_property(folders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(subfolder IN LISTS folders)
    mapplot_object_libraries_link_static_copies(${subfolder})
  endforeach()
endfunction()

# Makes the targets defined in `folder` and the folders below it link the
# static copies in place of the libraries.
function(mapplot_link_static_copies folder)
  get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(links ${target} ${property})
      if(links)
        mapplot_to_static_copies(links ${links})
        set_property(TARGET ${target} PROPERTY ${property} "${links}")
      endif()
    endforeach()
  endforeach()
  get_property(folders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
  foreach(subfolder IN LISTS folders)
    mapplot_link_static_copies(${subfolder})
  endforeach()
endfunction()
