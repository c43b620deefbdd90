# Tests of update beyond the ones listed in tests/CMakeLists.txt.
if(WIN32)
  launcher_test(cud_tests common/temp_folder.cpp update/url_selector_test.cpp)
  target_link_libraries(cud_tests PRIVATE launcher_core)
endif()
