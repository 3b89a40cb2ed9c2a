# What `cmake --install` puts under the prefix: the libraries, the public
# headers and julia_zoom in the GNUInstallDirs folders, the CMake package
# (mapplotConfig.cmake, one component per output) under <libdir>/cmake/mapplot
# and one pkg-config file per component under <libdir>/pkgconfig.
include(CMakePackageConfigHelpers)

set(mapplot_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/mapplot)
set(mapplot_pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
if(BUILD_SHARED_LIBS)
  set(mapplot_static_libraries OFF)
else()
  set(mapplot_static_libraries ON)
endif()

# Each component's libraries form an export set of their own, so that the
# package loads only the components a caller asks for. The libraries every
# component needs form the set "common".
function(mapplot_install_export_set name)
  install(TARGETS ${ARGN} EXPORT mapplot_${name}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(EXPORT mapplot_${name} NAMESPACE mapplot:: FILE mapplot-${name}-targets.cmake
    DESTINATION ${mapplot_cmake_dir})
endfunction()

# Depth first through the mapplot libraries `library` links (public and
# private); a library is finished once everything it links is.
function(mapplot_visit_links library)
  set_property(GLOBAL APPEND PROPERTY mapplot_visited ${library})
  get_target_property(links ${library} LINK_LIBRARIES)
  foreach(link IN LISTS links)
    if(NOT TARGET "${link}")
      continue()
    endif()
    get_target_property(aliased ${link} ALIASED_TARGET)
    if(aliased)
      set(link ${aliased})
    endif()
    get_target_property(type ${link} TYPE)
    get_property(visited GLOBAL PROPERTY mapplot_visited)
    if(link MATCHES "^mapplot_" AND type MATCHES "^(STATIC|SHARED)_LIBRARY$"
       AND NOT link IN_LIST visited)
      mapplot_visit_links(${link})
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY mapplot_finished ${library})
endfunction()

# The mapplot libraries that `roots` link, themselves included, in the order
# a static link needs them: each before every library it links.
function(mapplot_link_order out)
  set_property(GLOBAL PROPERTY mapplot_visited "")
  set_property(GLOBAL PROPERTY mapplot_finished "")
  foreach(root IN LISTS ARGN)
    get_property(visited GLOBAL PROPERTY mapplot_visited)
    if(NOT root IN_LIST visited)
      mapplot_visit_links(${root})
    endif()
  endforeach()
  get_property(finished GLOBAL PROPERTY mapplot_finished)
  list(REVERSE finished)
  set(${out} ${finished} PARENT_SCOPE)
endfunction()

# The pkg-config file mapplot-<component>.pc: `-l` for the component's
# libraries (`LIBRARIES` and all they link, in link order). Its paths are
# relative to the file itself, so the installation can be moved or installed
# with --prefix. What the libraries link outside mapplot (STATIC_REQUIRES,
# STATIC_LIBS) is listed only for static libraries; shared ones record it
# themselves.
function(mapplot_install_pkg_config component description)
  cmake_parse_arguments(PARSE_ARGV 2 pc "" "" "LIBRARIES;STATIC_REQUIRES;STATIC_LIBS")
  if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
    set(pc_prefix "${CMAKE_INSTALL_PREFIX}")
    set(pc_libdir "${CMAKE_INSTALL_FULL_LIBDIR}")
    set(pc_includedir "${CMAKE_INSTALL_FULL_INCLUDEDIR}")
  else()
    file(RELATIVE_PATH up "/${mapplot_pkgconfig_dir}" "/")
    string(REGEX REPLACE "/$" "" up "${up}")
    set(pc_prefix "\${pcfiledir}/${up}")
    set(pc_libdir "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
    set(pc_includedir "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
  endif()
  set(pc_name mapplot-${component})
  set(pc_description "${description}")
  set(pc_libs "")
  mapplot_link_order(libraries ${pc_LIBRARIES})
  foreach(library IN LISTS libraries)
    get_target_property(output_name ${library} OUTPUT_NAME)
    if(NOT output_name)
      set(output_name ${library})
    endif()
    string(APPEND pc_libs " -l${output_name}")
  endforeach()
  set(pc_requires "")
  if(mapplot_static_libraries)
    list(JOIN pc_STATIC_REQUIRES " " pc_requires)
    list(JOIN pc_STATIC_LIBS " " static_libs)
    string(APPEND pc_libs " ${static_libs}")
  endif()
  string(STRIP "${pc_libs}" pc_libs)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/mapplot.pc.in
    ${PROJECT_BINARY_DIR}/pkgconfig/${pc_name}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/${pc_name}.pc DESTINATION ${mapplot_pkgconfig_dir})
endfunction()

set(mapplot_components datamap)
mapplot_install_export_set(common mapplot_textout mapplot_request)
mapplot_install_export_set(datamap mapplot_datamap)
mapplot_install_pkg_config(datamap "mapplot's data files: data_map" LIBRARIES mapplot_datamap)

set(header_exclusions "")
if(MAPPLOT_PLOTFILES)
  list(APPEND mapplot_components psmap)
  mapplot_install_export_set(psmap mapplot_psmap)
  get_filename_component(pgplot_library_dir "${PGPLOT_LIBRARY}" DIRECTORY)
  mapplot_install_pkg_config(psmap "mapplot's plot files through PGPLOT: postscript_map"
    LIBRARIES mapplot_psmap
    STATIC_REQUIRES x11 libpng zlib
    STATIC_LIBS -L${pgplot_library_dir} -lcpgplot -lpgplot -lgfortran -lm -pthread)
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/FindPGPLOT.cmake DESTINATION ${mapplot_cmake_dir})
else()
  list(APPEND header_exclusions PATTERN postscript_map.hpp EXCLUDE)
endif()

if(MAPPLOT_SERVED)
  set(mapplot_served_requires Qt6HttpServer Qt6WebSockets)
endif()
if(MAPPLOT_SCREEN)
  list(APPEND mapplot_components screenmap)
  mapplot_install_export_set(screenmap
    mapplot_platform mapplot_platform_qt mapplot_screenmap mapplot_julia mapplot_julia_zoom)
  mapplot_install_pkg_config(screenmap
    "mapplot's maps in windows on Qt 6: screen_map, the Julia zoom"
    LIBRARIES mapplot_julia_zoom mapplot_screenmap
    STATIC_REQUIRES Qt6Widgets ${mapplot_served_requires}
    STATIC_LIBS -pthread)
  install(TARGETS julia_zoom RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
else()
  list(APPEND header_exclusions
    PATTERN screen_map.hpp EXCLUDE
    PATTERN application.hpp EXCLUDE
    PATTERN screen_session.hpp EXCLUDE
    PATTERN map_widget.hpp EXCLUDE
    PATTERN window_pictures.hpp EXCLUDE
    PATTERN julia_zoom.hpp EXCLUDE)
endif()

if(TARGET mapplot_parallel)
  list(APPEND mapplot_components parallel)
  mapplot_install_export_set(parallel mapplot_parallel)
  mapplot_install_pkg_config(parallel
    "mapplot's maps of grids split across MPI ranks: parallel screen_map, postscript_map, data_map"
    LIBRARIES mapplot_parallel mapplot_julia_zoom mapplot_screenmap mapplot_psmap mapplot_datamap
    STATIC_REQUIRES ompi-c Qt6Widgets ${mapplot_served_requires} x11 libpng zlib
    STATIC_LIBS -L${pgplot_library_dir} -lcpgplot -lpgplot -lgfortran -lm -pthread)
else()
  list(APPEND header_exclusions PATTERN parallel_map.hpp EXCLUDE)
endif()

install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/mapplot DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
  FILES_MATCHING PATTERN "*.hpp" ${header_exclusions})

# While the major version is 0 every minor version may change the interface.
if(PROJECT_VERSION_MAJOR EQUAL 0)
  set(mapplot_compatibility SameMinorVersion)
else()
  set(mapplot_compatibility SameMajorVersion)
endif()
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/mapplotConfig.cmake.in
  ${PROJECT_BINARY_DIR}/mapplotConfig.cmake
  INSTALL_DESTINATION ${mapplot_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/mapplotConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY ${mapplot_compatibility})
install(FILES ${PROJECT_BINARY_DIR}/mapplotConfig.cmake
  ${PROJECT_BINARY_DIR}/mapplotConfigVersion.cmake
  DESTINATION ${mapplot_cmake_dir})
