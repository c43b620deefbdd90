# Sources of src/system beyond the ones listed in src/CMakeLists.txt.

# The assistant's records, codes and progress rules (portable).
target_sources(launcher_portable PRIVATE
  system/assistant_progress.cpp
  system/assistant_records.cpp
)

if(WIN32)
  target_sources(launcher_core PRIVATE
    logic/logic_assistant.cpp
    system/admin_token.cpp
    system/assistant_commands.cpp
    system/assistant_kill.cpp
    system/assistant_rights.cpp
    system/launcher_assistant.cpp
    system/copy_whole_file.cpp
    system/named_pipe.cpp
    system/process_list.cpp
    system/rights_descriptor.cpp
  )
  target_link_libraries(launcher_core PUBLIC psapi secur32)
endif()
