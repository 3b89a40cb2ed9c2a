# Finds PGPLOT with its C binding (cpgplot.h, libcpgplot, libpgplot) and the
# libraries its drivers use, and defines the imported target PGPLOT::PGPLOT.
# Installed with mapplot's package, whose plot file part links it.
#
#   PGPLOT_FOUND, PGPLOT_INCLUDE_DIR, PGPLOT_LIBRARY, PGPLOT_C_LIBRARY

find_path(PGPLOT_INCLUDE_DIR cpgplot.h)
find_library(PGPLOT_C_LIBRARY cpgplot)
find_library(PGPLOT_LIBRARY pgplot)

# The Fortran library's drivers draw with X11 and write PNG files. Looked for
# without REQUIRED so that a missing one fails this search, with its name,
# rather than stopping the caller's configure.
set(_pgplot_quiet)
if(PGPLOT_FIND_QUIETLY)
  set(_pgplot_quiet QUIET)
endif()
find_package(X11 ${_pgplot_quiet})
find_package(PNG ${_pgplot_quiet})
find_package(ZLIB ${_pgplot_quiet})
unset(_pgplot_quiet)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(PGPLOT
  REQUIRED_VARS PGPLOT_C_LIBRARY PGPLOT_LIBRARY PGPLOT_INCLUDE_DIR X11_FOUND PNG_FOUND ZLIB_FOUND)

if(PGPLOT_FOUND AND NOT TARGET PGPLOT::PGPLOT)
  add_library(PGPLOT::PGPLOT INTERFACE IMPORTED)
  set_target_properties(PGPLOT::PGPLOT PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES "${PGPLOT_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES "${PGPLOT_C_LIBRARY};${PGPLOT_LIBRARY};X11::X11;PNG::PNG;ZLIB::ZLIB;gfortran;m")
endif()
mark_as_advanced(PGPLOT_INCLUDE_DIR PGPLOT_C_LIBRARY PGPLOT_LIBRARY)
