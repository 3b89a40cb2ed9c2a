# The served windows: a page of our own and a WebSocket per viewer, beside the
# windows in the Qt layer, whose target they join (included from its folder).
# Built when Qt's HttpServer and WebSockets modules are found (Debian:
# qt6-httpserver-dev, qt6-websockets-dev).
set(served_folder ${CMAKE_CURRENT_LIST_DIR})
target_sources(mapplot_platform_qt PRIVATE ${served_folder}/served_address.cpp)
if(TARGET Qt6::HttpServer AND TARGET Qt6::WebSockets)
  set(MAPPLOT_SERVED ON CACHE INTERNAL "whether the served windows are built")
  qt_add_resources(served_page_sources ${served_folder}/page/served_page.qrc)
  target_sources(mapplot_platform_qt PRIVATE
    ${served_folder}/access_token.cpp
    ${served_folder}/bounded_tcp_server.cpp
    ${served_folder}/served_windows.cpp
    ${served_folder}/window_server.cpp
    ${served_page_sources})
  target_link_libraries(mapplot_platform_qt PRIVATE Qt6::HttpServer Qt6::WebSockets)
else()
  set(MAPPLOT_SERVED OFF CACHE INTERNAL "whether the served windows are built")
  message(STATUS "mapplot: Qt HttpServer or WebSockets not found (Debian: qt6-httpserver-dev "
    "qt6-websockets-dev); the windows cannot be served")
  target_sources(mapplot_platform_qt PRIVATE ${served_folder}/served_windows_unavailable.cpp)
endif()
