target_sources(portable_tests PRIVATE
  startup/app_list_record_test.cpp
  startup/buffer_test.cpp
  startup/command_line_test.cpp
  startup/crc32_test.cpp
  startup/locale_picture_test.cpp
  startup/lso_file_test.cpp
  startup/resource_slots_test.cpp
  startup/run_mode_test.cpp
  startup/string_tables_test.cpp
)

if(WIN32)
  launcher_test(startup_tests
    common/small_disk.cpp
    common/temp_folder.cpp
    startup/cypher_log_test.cpp
    startup/date_time_test.cpp
    startup/file_log_test.cpp
    startup/folders_test.cpp
    startup/languages_test.cpp
    startup/launcher_config_test.cpp
    startup/log_files_test.cpp
    startup/log_impl_test.cpp
    startup/package_store_test.cpp
    startup/registry_key_test.cpp
    startup/safe_write_test.cpp
    startup/text_test.cpp
    startup/thread_test.cpp
  )
  # The tests build their packages with the publisher's RAR writer.
  target_link_libraries(startup_tests PRIVATE launcher_startup launcher_update)
  # A compressed RAR5 archive of the package's two configuration files,
  # made with Debian's rar, for the package reader.
  find_program(RAR_PROGRAM rar REQUIRED)
  set(_rar5 ${CMAKE_CURRENT_BINARY_DIR}/testdata/package5.rar)
  add_custom_command(OUTPUT ${_rar5}
    COMMAND ${CMAKE_COMMAND} -E rm -f ${_rar5}
    COMMAND ${RAR_PROGRAM} a -idq -m3 -ma5 ${_rar5} config.xml theme_kx/config.xml
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}/assets/package
    DEPENDS ${PROJECT_SOURCE_DIR}/assets/package/config.xml ${PROJECT_SOURCE_DIR}/assets/package/theme_kx/config.xml
    VERBATIM)
  add_custom_target(test_rar5 DEPENDS ${_rar5})
  add_dependencies(startup_tests test_rar5)
  target_compile_definitions(startup_tests PRIVATE LAUNCHER_TEST_RAR5="Z:${_rar5}"
                             LAUNCHER_SOURCE_DIR="Z:${PROJECT_SOURCE_DIR}")
endif()
