# Finds PGPLOT with its C binding (cpgplot.h, libcpgplot, libpgplot) and the
# libraries its drivers use, and defines the imported target PGPLOT::PGPLOT.
#
#   PGPLOT_FOUND, PGPLOT_INCLUDE_DIR, PGPLOT_LIBRARY, PGPLOT_C_LIBRARY

find_path(PGPLOT_INCLUDE_DIR cpgplot.h)
find_library(PGPLOT_C_LIBRARY cpgplot)
find_library(PGPLOT_LIBRARY pgplot)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(PGPLOT
  REQUIRED_VARS PGPLOT_C_LIBRARY PGPLOT_LIBRARY PGPLOT_INCLUDE_DIR)

if(PGPLOT_FOUND AND NOT TARGET PGPLOT::PGPLOT)
  # The Fortran library's drivers draw with X11 and write PNG files.
  include(CMakeFindDependencyMacro)
  find_package(X11 REQUIRED)
  find_package(PNG REQUIRED)
  find_package(ZLIB REQUIRED)
  add_library(PGPLOT::PGPLOT INTERFACE IMPORTED)
  set_target_properties(PGPLOT::PGPLOT PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${PGPLOT_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES "${PGPLOT_C_LIBRARY};${PGPLOT_LIBRARY};X11::X11;PNG::PNG;ZLIB::ZLIB;gfortran;m")
endif()
mark_as_advanced(PGPLOT_INCLUDE_DIR PGPLOT_C_LIBRARY PGPLOT_LIBRARY)
