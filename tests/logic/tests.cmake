target_sources(portable_tests PRIVATE logic/control_ids_test.cpp logic/taskbar_app_id_test.cpp)

if(WIN32)
  # The logic object in the test process, with the configuration and string
  # tables of the real built Launcher.exe. Own entry: the object under test
  # starts a copy of this exe as its assistant.
  launcher_test(logic_tests OWN_MAIN FIXTURE net_server RESOURCE_LOCK client_start_event,game_client_window
    common/assistant_link.cpp
    common/assistant_role_main.cpp
    common/process.cpp
    common/stand_in_wizard.cpp
    common/stand_in_wizard_test.cpp
    common/temp_folder.cpp
    logic/client_start_test.cpp
    logic/launcher_update_test.cpp
    logic/logic_assistant_test.cpp
    logic/logic_network_test.cpp
    logic/logic_test.cpp
    logic/update_texts_test.cpp
    logic/wizard_flow_test.cpp
    net/net_test_support.cpp
  )
  # The stand-in wizard (a recording fake) is what the logic object drives
  # in these tests.
  target_link_libraries(logic_tests PRIVATE launcher_gui)
  target_compile_definitions(logic_tests PRIVATE LAUNCHER_SOURCE_DIR="Z:${PROJECT_SOURCE_DIR}" NET_SERVER_STATE="Z:${_net_state}")
  add_dependencies(logic_tests Launcher game_client)

  launcher_test(client_tests RESOURCE_LOCK client_start_event,game_client_window
    common/process.cpp
    common/temp_folder.cpp
    logic/client_test.cpp
  )
  target_link_libraries(client_tests PRIVATE launcher_logic)
  add_dependencies(client_tests game_client)
endif()
