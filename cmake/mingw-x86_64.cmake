# 64-bit Windows: a test road for machines that cannot start 32-bit programs, not a product.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CLIENT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CLIENT_WINE_ROAD win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
