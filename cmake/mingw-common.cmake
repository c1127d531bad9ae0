# Cross build for Windows with mingw-w64 (posix threads); programs run through Wine. Included by the toolchain
# file of each architecture after it has set vellumine_triplet and vellumine_wine_arch.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${vellumine_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${vellumine_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${vellumine_triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${vellumine_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run through the loader and prefix of their own architecture, as the unprivileged test user under root.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh ${vellumine_wine_arch})
