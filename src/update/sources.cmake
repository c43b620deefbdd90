# Sources of src/update beyond the ones listed in src/CMakeLists.txt.

# Archive formats and path rules shared with tests and benchmarks.
target_sources(launcher_portable PRIVATE
  update/download_choice.cpp
  update/entry_target.cpp
  update/zip_file.cpp
  update/zip_writer.cpp
)
if(WIN32)
  target_link_libraries(launcher_portable PUBLIC dep_zlib)
else()
  find_package(ZLIB REQUIRED)
  target_link_libraries(launcher_portable PUBLIC ZLIB::ZLIB)
endif()

# Package and manifest archives read through libarchive or our ZIP reader.
target_sources(launcher_archive PRIVATE
  update/manifest_archive.cpp
  update/rar_archive.cpp
)
target_link_libraries(launcher_archive PUBLIC launcher_portable)

if(WIN32)
  target_sources(launcher_core PRIVATE
    update/add_pkg.cpp
    update/app_list.cpp
    update/checker_thread.cpp
    update/file_crc.cpp
    update/png_image.cpp
    update/unpacker_thread.cpp
  )
  target_link_libraries(launcher_core PUBLIC launcher_manifest dep_png)
endif()
