# The `docs` target writes the API reference of the public headers
# (include/mapplot) as HTML into <build>/docs/html, when Doxygen is installed.
# Our builds (CMAKE_COMPILE_WARNING_AS_ERROR) fail on an undocumented function.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
  return()
endif()

set(DOXYGEN_PROJECT_NAME mapplot)
set(DOXYGEN_PROJECT_NUMBER ${PROJECT_VERSION})
set(DOXYGEN_PROJECT_BRIEF "${PROJECT_DESCRIPTION}")
set(DOXYGEN_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/docs)
set(DOXYGEN_STRIP_FROM_PATH ${PROJECT_SOURCE_DIR}/include)
set(DOXYGEN_STRIP_FROM_INC_PATH ${PROJECT_SOURCE_DIR}/include)
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE ${PROJECT_SOURCE_DIR}/README.md)
set(DOXYGEN_EXTRACT_ALL NO)
set(DOXYGEN_WARN_IF_UNDOCUMENTED YES)
set(DOXYGEN_WARN_NO_PARAMDOC NO)
set(DOXYGEN_GENERATE_LATEX NO)
set(DOXYGEN_QUIET YES)
set(DOXYGEN_SORT_MEMBER_DOCS NO)
# The export mark is no part of a declaration's reference.
set(DOXYGEN_MACRO_EXPANSION YES)
set(DOXYGEN_EXPAND_ONLY_PREDEF YES)
set(DOXYGEN_PREDEFINED "MAPPLOT_API=")
if(CMAKE_COMPILE_WARNING_AS_ERROR)
  set(DOXYGEN_WARN_AS_ERROR FAIL_ON_WARNINGS)
endif()

doxygen_add_docs(docs
  ${PROJECT_SOURCE_DIR}/include/mapplot
  ${PROJECT_SOURCE_DIR}/README.md
  COMMENT "Writing the API reference into ${PROJECT_BINARY_DIR}/docs/html")
