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
if(WIN32)
  target_sources(launcher_core PRIVATE update/url_selector.cpp)
endif()
