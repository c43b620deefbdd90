if(NOT WIN32)
  return()
endif()

# The executable's image: machine, subsystem, manifest, version, icon, imports.
add_test(NAME LauncherImage
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/helpers/check_pe.py
                 $<TARGET_FILE:Launcher> ${CMAKE_SYSTEM_PROCESSOR})
set_tests_properties(LauncherImage PROPERTIES LABELS image)

# The real Launcher.exe started as a process: roles, banner, error boxes.
# Its windows open where the toolkit tests press the mouse, so they share
# the desktop with them one at a time. An installation run that finds a
# game client window focuses it and ends, so no stand-in client may run
# beside these tests.
launcher_test(app_tests RESOURCE_LOCK desktop_input,game_client_window
  common/process.cpp
  common/temp_folder.cpp
  app/launcher_entry_test.cpp
)
target_link_libraries(app_tests PRIVATE launcher_update launcher_system)
add_dependencies(app_tests Launcher planted_library)

# Wine takes its own build of a system library even when a file of that
# name lies beside the program; the planted-library test needs the search
# Windows does. The test exists once the listed tests are added.
function(launcher_search_wininet_as_windows)
  if(TEST LauncherEntry.ALibraryPlantedBesideTheLauncherIsNotLoaded)
    set_property(TEST LauncherEntry.ALibraryPlantedBesideTheLauncherIsNotLoaded APPEND PROPERTY
                 ENVIRONMENT_MODIFICATION "WINEDLLOVERRIDES=string_prepend:wininet=n,b\\;")
  endif()
endfunction()
cmake_language(DEFER CALL launcher_search_wininet_as_windows)
