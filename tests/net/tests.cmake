target_sources(portable_tests PRIVATE net/pico_http_parser_test.cpp)

if(WIN32)
  # The update server of the network tests is a Linux program: a Windows
  # test under Wine cannot start it, so CTest does, once for all of them,
  # through a fixture. It daemonises, binds a free port on 127.0.0.1 and
  # writes it to net_server/port; the tests read that file (drive Z: is the
  # Linux root under Wine) and the requests it logs in net_server/requests.log.
  set(_net_state ${CMAKE_CURRENT_BINARY_DIR}/net_server)
  set(_net_server ${CMAKE_CURRENT_SOURCE_DIR}/helpers/net_test_server.py)
  add_test(NAME NetServerStart COMMAND ${Python3_EXECUTABLE} ${_net_server} start ${_net_state})
  add_test(NAME NetServerStop COMMAND ${Python3_EXECUTABLE} ${_net_server} stop ${_net_state})
  set_tests_properties(NetServerStart PROPERTIES FIXTURES_SETUP net_server)
  set_tests_properties(NetServerStop PROPERTIES FIXTURES_CLEANUP net_server)

  launcher_test(net_tests FIXTURE net_server
    common/process.cpp
    common/temp_folder.cpp
    net/downloader_test.cpp
    net/httx_503_answer_test.cpp
    net/httx_trace_log_test.cpp
    net/request_httx_test.cpp
    net/transport_test.cpp
    net/net_test_support.cpp
    net/url_components_test.cpp
  )
  target_link_libraries(net_tests PRIVATE launcher_net)
  target_compile_definitions(net_tests PRIVATE NET_SERVER_STATE="Z:${_net_state}")
endif()
