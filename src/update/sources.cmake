# Sources of src/update beyond the ones listed in src/CMakeLists.txt.

# Publisher-side formats: packs, the CUD.dat cipher, launcher version and
# content checksums (zlib and libcrypto: the mingw builds or the system's).
target_sources(launcher_portable PRIVATE
  update/content_crc.cpp
  update/cud_cipher.cpp
  update/pe_version.cpp
  update/zip_writer.cpp
)
# Writing and re-reading update.xml needs tinyxml2 like the parser.
target_sources(launcher_manifest PRIVATE update/manifest_writer.cpp)
if(WIN32)
  target_link_libraries(launcher_portable PUBLIC dep_zlib dep_crypto)
  target_link_libraries(launcher_manifest PUBLIC dep_crypto)
else()
  find_package(ZLIB REQUIRED)
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  target_link_libraries(launcher_portable PUBLIC ZLIB::ZLIB OpenSSL::Crypto)
  target_link_libraries(launcher_manifest PUBLIC OpenSSL::Crypto)
endif()

# Archive formats and path rules shared with tests and benchmarks.
target_sources(launcher_portable PRIVATE
  update/download_choice.cpp
  update/entry_target.cpp
  update/raw_zip_writer.cpp
  update/zip_file.cpp
)

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
    update/url_selector.cpp
  )
  target_link_libraries(launcher_core PUBLIC launcher_manifest dep_png)
endif()
