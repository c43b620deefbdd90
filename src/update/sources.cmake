# Sources of src/update beyond the ones listed in src/CMakeLists.txt.
if(WIN32)
  target_sources(launcher_core PRIVATE update/cipher.cpp update/url_selector.cpp)
endif()
