target_sources(portable_tests PRIVATE
  update/configured_actions_test.cpp
  update/content_crc_test.cpp
  update/manifest_test.cpp
  update/rar29_writer_test.cpp
  update/cud_cipher_test.cpp
  update/manifest_writer_test.cpp
  update/pe_version_test.cpp
  update/png_image_test.cpp
  update/publisher_signature_test.cpp
  update/zip_writer_test.cpp
)
if(WIN32)
  launcher_test(cud_tests common/small_disk.cpp common/temp_folder.cpp update/url_selector_test.cpp)
  target_link_libraries(cud_tests PRIVATE launcher_update)
endif()

# Fixtures made with the real tools at build time: a RAR5 manifest archive
# (Debian's rar) and a ZIP made by Info-ZIP.
find_program(RAR_TOOL rar REQUIRED)
find_program(ZIP_TOOL zip REQUIRED)
set(_update_data ${CMAKE_CURRENT_SOURCE_DIR}/update/data)
set(_update_fixtures ${CMAKE_CURRENT_BINARY_DIR}/testdata/update)
file(MAKE_DIRECTORY ${_update_fixtures})
set(_package_config ${PROJECT_SOURCE_DIR}/assets/package/config.xml)
add_custom_command(OUTPUT ${_update_fixtures}/manifest5.rar ${_update_fixtures}/tool.zip ${_update_fixtures}/package5.rar
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_update_fixtures}/tree
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_update_fixtures}/tree/sub
  COMMAND ${CMAKE_COMMAND} -E copy ${_update_data}/update.xml ${_update_fixtures}/tree/sub/update.xml
  COMMAND ${CMAKE_COMMAND} -E copy ${_package_config} ${_update_fixtures}/tree/config.xml
  COMMAND ${CMAKE_COMMAND} -E rm -f ${_update_fixtures}/manifest5.rar ${_update_fixtures}/tool.zip
          ${_update_fixtures}/package5.rar
  COMMAND ${RAR_TOOL} a -idq -m3 -ma5 -ep ${_update_fixtures}/manifest5.rar ${_update_data}/update.xml
  COMMAND ${RAR_TOOL} a -idq -m3 -ma5 -r ${_update_fixtures}/package5.rar tree
  COMMAND ${ZIP_TOOL} -q -r ${_update_fixtures}/tool.zip tree
  WORKING_DIRECTORY ${_update_fixtures}
  DEPENDS ${_update_data}/update.xml ${_package_config}
  VERBATIM)
add_custom_target(update_fixtures DEPENDS ${_update_fixtures}/manifest5.rar ${_update_fixtures}/tool.zip
                  ${_update_fixtures}/package5.rar)
add_dependencies(portable_tests update_fixtures)
target_compile_definitions(portable_tests PRIVATE
  LAUNCHER_TEST_MANIFEST_RAR5="${LAUNCHER_TEST_PATH_PREFIX}${_update_fixtures}/manifest5.rar"
  LAUNCHER_TEST_ZIP_TOOL="${LAUNCHER_TEST_PATH_PREFIX}${_update_fixtures}/tool.zip")
target_sources(portable_tests PRIVATE
  update/download_choice_test.cpp
  update/entry_target_test.cpp
  update/manifest_archive_test.cpp
  update/zip_file_test.cpp
)

if(WIN32)
  launcher_test(update_tests
    common/temp_folder.cpp
    update/add_pkg_test.cpp
    update/app_list_test.cpp
    update/checker_thread_test.cpp
    update/message_sink.cpp
    update/pe_version_windows_test.cpp
    update/unpacker_thread_test.cpp
  )
  target_link_libraries(update_tests PRIVATE launcher_update)
  # The launcher test reads the real Launcher.exe next to the test exe.
  add_dependencies(update_tests update_fixtures Launcher)
  target_link_libraries(update_tests PRIVATE version)
  target_compile_definitions(update_tests PRIVATE
    LAUNCHER_EXE_PATH="Z:$<TARGET_FILE:Launcher>" LAUNCHER_EXE_PATH_W=L"Z:$<TARGET_FILE:Launcher>"
    LAUNCHER_SOURCE_DIR="Z:${PROJECT_SOURCE_DIR}"
    LAUNCHER_TEST_PACKAGE_RAR5="Z:${_update_fixtures}/package5.rar"
    LAUNCHER_TEST_UPDATE_XML="Z:${_update_data}/update.xml")
endif()
