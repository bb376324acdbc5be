# 32-bit Windows: the product.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CLIENT_MINGW_TRIPLE i686-w64-mingw32)
set(CLIENT_WINE_ROAD win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
