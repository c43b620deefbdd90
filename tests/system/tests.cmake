target_sources(portable_tests PRIVATE
  system/assistant_progress_test.cpp
  system/assistant_records_test.cpp
  system/os_name_test.cpp
  system/renaming_parameters_test.cpp
  system/shortcut_names_test.cpp
  system/uninstall_rules_test.cpp
)

if(WIN32)
  # Own entry: a copy of this exe started with "/assistant" plays the assistant.
  launcher_test(system_tests OWN_MAIN
    common/assistant_link.cpp
    common/assistant_role_main.cpp
    common/process.cpp
    common/temp_folder.cpp
    system/assistant_copy_test.cpp
    system/assistant_process_test.cpp
    system/assistant_uninstall_test.cpp
    system/copy_whole_file_test.cpp
    system/install_directory_list_test.cpp
    system/named_pipe_test.cpp
    system/os_version_test.cpp
    system/process_list_test.cpp
    system/shortcuts_test.cpp
    system/tree_walk_test.cpp
    system/update_package_test.cpp
  )
  target_link_libraries(system_tests PRIVATE launcher_system)
  add_dependencies(system_tests Launcher assistant_test_sleeper)
endif()
