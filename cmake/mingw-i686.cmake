# Cross build for 32-bit Windows: the shipped VellumineSetup.exe.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(vellumine_triplet i686-w64-mingw32)
set(vellumine_wine_arch win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
