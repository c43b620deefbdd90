# Tests of system beyond the ones listed in tests/CMakeLists.txt.

target_sources(portable_tests PRIVATE
  system/assistant_progress_test.cpp
  system/assistant_records_test.cpp
)

if(WIN32)
  # A stand-in for a running game client, for the process killer.
  add_executable(assistant_test_sleeper system/sleeper_main.cpp)

  # Own entry: a copy of this exe started with "/assistant" plays the assistant.
  launcher_test(system_tests OWN_MAIN
    common/temp_folder.cpp
    common/process.cpp
    system/assistant_link.cpp
    system/assistant_process_test.cpp
    system/logic_assistant_test.cpp
    system/named_pipe_test.cpp
    system/system_tests_main.cpp
  )
  target_link_libraries(system_tests PRIVATE launcher_core)
  add_dependencies(system_tests Launcher assistant_test_sleeper)
endif()
