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

  # The shipped theme: its pictures and layout are what tools/theme makes,
  # its sheets cut into the sprites its controls draw, and its fonts hold
  # every character of the string tables. They need Pillow and fontTools,
  # which Debian installs for its own python3; an interpreter found earlier
  # on PATH (a pyenv or a virtual environment) may lack them.
  set(_theme_python ${Python3_EXECUTABLE})
  execute_process(COMMAND ${_theme_python} -c "import PIL, fontTools"
                  RESULT_VARIABLE _theme_modules_missing OUTPUT_QUIET ERROR_QUIET)
  if(_theme_modules_missing)
    find_program(LAUNCHER_SYSTEM_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
    set(_theme_python ${LAUNCHER_SYSTEM_PYTHON3})
  endif()
  add_test(NAME ThemeArt
           COMMAND ${_theme_python} ${CMAKE_CURRENT_SOURCE_DIR}/tools/theme_art_test.py ${PROJECT_SOURCE_DIR})
  add_test(NAME ThemeFonts
           COMMAND ${_theme_python} ${CMAKE_CURRENT_SOURCE_DIR}/tools/theme_fonts_test.py ${PROJECT_SOURCE_DIR})
endif()
