# Sources of src/system beyond the ones listed in src/CMakeLists.txt.
if(WIN32)
  target_sources(launcher_core PRIVATE system/copy_whole_file.cpp system/named_pipe.cpp system/process_list.cpp)
endif()
