# The cross build's code generation, for every target (the portable library included): small code, no exceptions,
# no unwind tables; and zlib as Debian ships it for mingw, less its unwind tables. Nothing in the program unwinds
# (no exceptions, and libgcc's frame registration is not linked), so those tables would be dead weight in the
# shipped exe. Sets VELLUMINE_ZLIB, the zlib to link.
set(win32_flags -Os -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables)
set(win32_link -static -static-libgcc -static-libstdc++ -Wl,--gc-sections -Wl,--dynamicbase -Wl,--nxcompat
    -Wl,--no-insert-timestamp -s)
add_compile_options(${win32_flags} -ffile-prefix-map=${CMAKE_SOURCE_DIR}=.)
add_link_options(${win32_link})

find_library(zlib_archive NAMES libz.a REQUIRED)
set(zlib_lean ${CMAKE_BINARY_DIR}/libz-lean.a)
add_custom_command(OUTPUT ${zlib_lean}
  COMMAND ${CMAKE_OBJCOPY} -D --remove-section=.eh_frame ${zlib_archive} ${zlib_lean}
  DEPENDS ${zlib_archive}
  COMMENT "zlib without unwind tables")
add_custom_target(zlib_lean DEPENDS ${zlib_lean})
add_library(zlib_lean_archive STATIC IMPORTED)
set_target_properties(zlib_lean_archive PROPERTIES IMPORTED_LOCATION ${zlib_lean})
add_dependencies(zlib_lean_archive zlib_lean)
set(VELLUMINE_ZLIB zlib_lean_archive)
