if(WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
  # The Windows tool (wmain, UTF-16 paths) through the same publisher tests.
  add_test(NAME LauncherToolWindows
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tools/launcher_tool_test.py
                   $<TARGET_FILE:launcher-tool> ${PROJECT_SOURCE_DIR}/assets ${CMAKE_CROSSCOMPILING_EMULATOR})
  set_tests_properties(LauncherToolWindows PROPERTIES TIMEOUT 1200 ENVIRONMENT LAUNCHER_TOOL_SAMPLE_MB=64)
  # The built launcher's slots patched by the host tool, and its own /crc
  # answer under Wine.
  add_test(NAME LauncherSlots
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tools/launcher_slots_test.py
                   ${LAUNCHER_TOOL} $<TARGET_FILE:Launcher> ${CMAKE_BINARY_DIR}/wineprefix)
  set_tests_properties(LauncherSlots PROPERTIES TIMEOUT 120)
endif()

if(NOT WIN32)
  add_test(NAME LauncherTool
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/tools/launcher_tool_test.py
                   $<TARGET_FILE:launcher-tool> ${PROJECT_SOURCE_DIR}/assets)
endif()
