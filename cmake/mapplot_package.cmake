# `cpack -G DEB` in a build folder makes one Debian package of what the
# install rules install: libraries, headers, CMake and pkg-config files and
# julia_zoom. Build with -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_PREFIX=/usr
# for a package whose libraries land in Debian's multiarch folder.
set(CPACK_PACKAGE_NAME mapplot)
set(CPACK_PACKAGE_VENDOR "mapplot developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "mapplot developers <mapplot@invalid>" CACHE STRING
  "The Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES OFF)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libdevel)
# dpkg-shlibdeps (dpkg-dev) names the packages of the shared libraries the
# binaries load: Qt 6's, pgplot5's, the C and C++ run-time's.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(mapplot_debian_depends "")
if(NOT BUILD_SHARED_LIBS)
  # Static libraries leave Qt and PGPLOT to the caller's link, and the CMake
  # package looks for them: their development packages are needed too.
  if(MAPPLOT_SCREEN)
    list(APPEND mapplot_debian_depends qt6-base-dev)
  endif()
  if(MAPPLOT_PLOTFILES)
    list(APPEND mapplot_debian_depends pgplot5 gfortran libx11-dev libpng-dev zlib1g-dev)
  endif()
endif()
list(JOIN mapplot_debian_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

include(CPack)
