# Programs the tests start. Windows only: they run under Wine beside the
# launcher.
if(NOT WIN32)
  # The Linux servers of the end-to-end tests: nginx and the fault server.
  add_test(NAME TestServers COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/helpers/servers_test.py)
  set_tests_properties(TestServers PROPERTIES TIMEOUT 120)
  # Where the end-to-end tests click: control places read from the theme.
  add_test(NAME ThemeLayout COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/helpers/theme_layout_test.py)
  set_tests_properties(ThemeLayout PROPERTIES TIMEOUT 60)
  return()
endif()

# The game client's stand-in, started by the launcher in tests.
add_executable(game_client WIN32 helpers/game_client.cpp)
target_link_options(game_client PRIVATE -municode)
# The helpers hold their handles in the product's owner (a header).
target_link_libraries(game_client PRIVATE launcher_startup)

# Find and click windows of a running launcher (end-to-end tests).
add_executable(window_probe helpers/window_probe.cpp)
target_link_options(window_probe PRIVATE -municode)
target_link_libraries(window_probe PRIVATE launcher_startup user32 gdi32)
add_executable(window_click helpers/window_click.cpp)
target_link_options(window_click PRIVATE -municode)
target_link_libraries(window_click PRIVATE launcher_startup user32 gdi32)

# Reads a shortcut's target back (end-to-end tests).
add_executable(shortcut_target helpers/shortcut_target.cpp)
target_link_options(shortcut_target PRIVATE -municode)
target_link_libraries(shortcut_target PRIVATE ole32 uuid)

# A stand-in for a running game client, for the assistant's process killer.
add_executable(assistant_test_sleeper helpers/sleeper_main.cpp)

# Gives a built launcher another embedded package (end-to-end tests).
add_executable(replace_package helpers/replace_package.cpp)
target_link_options(replace_package PRIVATE -municode)

# Accepts a system dialog such as the folder picker (end-to-end tests).
add_executable(dialog_ok helpers/dialog_ok.cpp)
target_link_options(dialog_ok PRIVATE -municode)
target_link_libraries(dialog_ok PRIVATE user32)

# A library the tests plant beside a launcher under a system library's name.
add_library(planted_library SHARED helpers/planted_library.cpp)
set_target_properties(planted_library PROPERTIES PREFIX "")
target_link_options(planted_library PRIVATE -static-libgcc)

# Trusts a test certificate authority inside the Wine prefix (end-to-end tests).
add_executable(trust_root helpers/trust_root.cpp)
target_link_options(trust_root PRIVATE -municode)
target_link_libraries(trust_root PRIVATE launcher_startup crypt32)
