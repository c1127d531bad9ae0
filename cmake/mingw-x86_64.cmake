# Cross build of the same sources for 64-bit Windows, so that the Wine tier runs on hosts that refuse 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(vellumine_triplet x86_64-w64-mingw32)
set(vellumine_wine_arch win64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
