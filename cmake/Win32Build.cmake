# Cross build: VellumineSetup.exe with its payload store, and the Wine tests.
include(ExternalProject)

set(VELLUMINE_PAYLOAD_DIR "" CACHE PATH "The maker's own payload files; stand-ins are generated when empty")
set(VELLUMINE_ZOPFLI_ITERATIONS 5 CACHE STRING
    "zopfli iterations for the payload streams (about 3 % smaller, 10 s to pack); 0 packs with zlib -9 at once")
# The compile and link options are set for every target in cmake/Win32Flags.cmake.



# The host programs that the build runs.
set(tools_dir ${CMAKE_BINARY_DIR}/tools)
ExternalProject_Add(host_tools
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools
  BINARY_DIR ${tools_dir}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=cc -DCMAKE_CXX_COMPILER=c++
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${tools_dir}/packer ${tools_dir}/standin_gen)

# A small working program that says it is a stand-in for the application's executables.
add_executable(standin WIN32 tools/standin_app.cpp)
target_link_libraries(standin PRIVATE user32)

set(payload_dir ${CMAKE_BINARY_DIR}/payload)
set(standin_dir ${payload_dir}/standins)
set(store_dir ${payload_dir}/store)
file(GLOB authored ${CMAKE_SOURCE_DIR}/payload/*)
add_custom_command(OUTPUT ${standin_dir}/.made
  COMMAND ${CMAKE_COMMAND} -E make_directory ${standin_dir}
  COMMAND ${tools_dir}/standin_gen ${standin_dir} $<TARGET_FILE:standin>
  COMMAND ${CMAKE_COMMAND} -E touch ${standin_dir}/.made
  DEPENDS host_tools standin ${tools_dir}/standin_gen
  COMMENT "Generating stand-ins for the maker's files")
# With the maker's folder, every installed file comes from it or from payload/, exactly named, and a change to one
# of its files repacks; without it, the stand-ins fill in for the maker's files.
if(VELLUMINE_PAYLOAD_DIR)
  file(GLOB maker_files CONFIGURE_DEPENDS ${VELLUMINE_PAYLOAD_DIR}/*)
  # The list itself too, so that a file renamed or removed repacks (and fails) as an edited one does.
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/maker_files.txt CONTENT "${maker_files}")
  set(packer_maker --maker ${VELLUMINE_PAYLOAD_DIR})
  set(packer_sources ${CMAKE_SOURCE_DIR}/payload)
  set(packer_inputs ${maker_files} ${CMAKE_BINARY_DIR}/maker_files.txt)
else()
  set(packer_maker)
  set(packer_sources ${CMAKE_SOURCE_DIR}/payload ${standin_dir})
  set(packer_inputs ${standin_dir}/.made)
endif()
add_custom_command(OUTPUT ${store_dir}/payload.rc
  COMMAND ${CMAKE_COMMAND} -E make_directory ${store_dir}
  COMMAND ${tools_dir}/packer --zopfli ${VELLUMINE_ZOPFLI_ITERATIONS} --cache ${CMAKE_BINARY_DIR}/../pack-cache
          ${packer_maker} ${store_dir} ${store_dir}/payload.rc
          ${packer_sources}
  DEPENDS host_tools ${tools_dir}/packer ${packer_inputs} ${authored} ${CMAKE_SOURCE_DIR}/src/install/manifest.def
  COMMENT "Packing the payload store")
add_custom_target(payload_store DEPENDS ${store_dir}/payload.rc)

# Everything but the entry point, so that the tests link the product's own code.
add_library(vwin STATIC
  src/app/globals.cpp
  src/store/payload_store.cpp
  src/glyph/glyph_font.cpp
  src/glyph/mixed_text.cpp
  src/ui/button_painter.cpp
  src/ui/check_box.cpp
  src/ui/licence_item.cpp
  src/ui/message_dialog.cpp
  src/ui/gbk_text.cpp
  src/install/file_writer.cpp
  src/install/folder_names.cpp
  src/install/in_the_way.cpp
  src/install/hold_retry.cpp
  src/install/install_rows.cpp
  src/install/install_run.cpp
  src/install/install_sequence.cpp
  src/install/preflight.cpp
  src/install/read_back.cpp
  src/install/removal.cpp
  src/install/settle_outcome.cpp
  src/install/worker_thread.cpp
  src/wizard/wizard_dialog.cpp
  src/wizard/wizard_pages.cpp
  src/wizard/install_command.cpp
  src/wizard/folder_chooser.cpp
  src/app/message_loop.cpp
)
target_link_libraries(vwin PUBLIC vcore user32 gdi32 comctl32)
# With -fdata-sections, mingw's GCC gives a zero-filled array a .data$ section of its own, bytes in the file; the
# licence list's lines (130 KB), the CRC-32 tables (8 KB, made at run time), the process list, the install folder's
# name, the kept labels and the message's English line belong in .bss.
set_source_files_properties(src/ui/licence_item.cpp src/store/crc32.cpp src/install/in_the_way.cpp
                            src/app/globals.cpp src/ui/gbk_text.cpp src/ui/message_dialog.cpp
                            PROPERTIES COMPILE_OPTIONS -fno-data-sections)

# The application manifest names the build's own architecture (the shipped exe's is x86).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(manifest_arch amd64)
else()
  set(manifest_arch x86)
endif()
configure_file(src/resources/app.manifest.in ${CMAKE_BINARY_DIR}/resources/app.manifest @ONLY)
set(resource_includes ${CMAKE_SOURCE_DIR}/src/resources ${CMAKE_BINARY_DIR}/resources ${store_dir} ${CMAKE_SOURCE_DIR}/src)
set(installer_resource_files ${store_dir}/payload.rc ${CMAKE_SOURCE_DIR}/src/resources/installer.rc
    ${CMAKE_BINARY_DIR}/resources/app.manifest ${CMAKE_SOURCE_DIR}/src/resources/app.ico
    ${CMAKE_SOURCE_DIR}/src/resources/resource_ids.h)
# The templates' Chinese texts are GBK bytes: read as code page 936, they are stored as the characters they mean,
# which Windows hands to screen readers as the controls' names.
set_source_files_properties(src/resources/installer.rc PROPERTIES OBJECT_DEPENDS "${installer_resource_files}"
                            COMPILE_OPTIONS "-c;936")
# The version details, from project()'s version, compiled with the UTF-8 code page (strings stored as UTF-16).
configure_file(src/resources/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/version.rc PROPERTIES COMPILE_OPTIONS "-c;65001")
add_executable(VellumineSetup WIN32 src/app/main.cpp src/app/lean_start.cpp src/resources/installer.rc
               ${CMAKE_BINARY_DIR}/version.rc)
target_include_directories(VellumineSetup PRIVATE ${resource_includes})
add_dependencies(VellumineSetup payload_store)
target_link_libraries(VellumineSetup PRIVATE vwin)
# The 32-bit start-up code and runtime libraries carry unwind tables (.eh_frame, 2.5 KB of the file) that nothing in
# a program without exceptions reads, and gcc's start files only register them: the installer links copies without
# them, and without those start files.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(lean_dir ${CMAKE_BINARY_DIR}/lean-crt)
  set(lean_files)
  foreach(part crt2.o libgcc.a libmingw32.a libmsvcrt.a)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${part} OUTPUT_VARIABLE part_path
                    OUTPUT_STRIP_TRAILING_WHITESPACE)
    add_custom_command(OUTPUT ${lean_dir}/${part}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${lean_dir}
      COMMAND ${CMAKE_OBJCOPY} --remove-section=.eh_frame ${part_path} ${lean_dir}/${part}
      DEPENDS ${part_path}
      COMMENT "${part} without unwind tables")
    list(APPEND lean_files ${lean_dir}/${part})
  endforeach()
  add_custom_target(lean_crt DEPENDS ${lean_files})
  add_dependencies(VellumineSetup lean_crt)
  target_link_options(VellumineSetup PRIVATE -nostartfiles ${lean_dir}/crt2.o -L${lean_dir})
  set_property(TARGET VellumineSetup APPEND PROPERTY LINK_DEPENDS ${lean_files})
endif()
# The installer as published, in release/: signed when a certificate is given (scripts/release.sh), and SHA256SUMS.
add_custom_target(release ALL
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/release.sh $<TARGET_FILE:VellumineSetup> ${CMAKE_BINARY_DIR}/release
  DEPENDS VellumineSetup
  COMMENT "Publishing VellumineSetup.exe and SHA256SUMS in release/")

add_subdirectory(tests/win32)
add_subdirectory(tests/e2e)
add_subdirectory(bench)
