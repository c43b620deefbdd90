# Tests of update beyond the ones listed in tests/CMakeLists.txt.
target_sources(portable_tests PRIVATE
  update/content_crc_test.cpp
  update/cud_cipher_test.cpp
  update/manifest_writer_test.cpp
  update/pe_version_test.cpp
  update/zip_writer_test.cpp
)
if(WIN32)
  launcher_test(cud_tests common/temp_folder.cpp update/url_selector_test.cpp)
  target_link_libraries(cud_tests PRIVATE launcher_core)
  # The version reader is checked against Windows on the real launcher.
  add_dependencies(portable_tests Launcher)
  target_link_libraries(portable_tests PRIVATE version)
  target_compile_definitions(portable_tests PRIVATE
    LAUNCHER_EXE_PATH="Z:$<TARGET_FILE:Launcher>" LAUNCHER_EXE_PATH_W=L"Z:$<TARGET_FILE:Launcher>")
endif()
