# Sources of src/net beyond the ones listed in src/CMakeLists.txt.
target_sources(launcher_portable PRIVATE net/pico_http_parser.cpp)
if(WIN32)
  target_sources(launcher_core PRIVATE
    net/context_httx.cpp
    net/downloader.cpp
    net/httx_503_answer.cpp
    net/httx_trace_log.cpp
    net/net_client.cpp
    net/net_transport.cpp
    net/request_httx.cpp
    net/request_io.cpp
    net/url_components.cpp
  )
  target_link_libraries(launcher_core PUBLIC wininet)
endif()
