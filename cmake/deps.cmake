# Imported targets for the mingw static libraries built by
# scripts/build-deps.sh. LAUNCHER_DEPS_FILE names the deps.cmake it wrote.
if(DEFINED ENV{LAUNCHER_DEPS_CACHE})
  set(_deps_cache "$ENV{LAUNCHER_DEPS_CACHE}")
else()
  set(_deps_cache "$ENV{HOME}/.cache/launcher-deps")
endif()
set(LAUNCHER_DEPS_FILE "${_deps_cache}/${CMAKE_SYSTEM_PROCESSOR}/deps.cmake"
    CACHE FILEPATH "deps.cmake written by scripts/build-deps.sh")
if(NOT EXISTS "${LAUNCHER_DEPS_FILE}")
  message(FATAL_ERROR "${LAUNCHER_DEPS_FILE} is missing: run scripts/bootstrap.sh")
endif()
include(${LAUNCHER_DEPS_FILE})
foreach(_dep OPENSSL LIBPNG TINYXML2 LIBARCHIVE)
  if(NOT IS_DIRECTORY "${LAUNCHER_DEP_${_dep}}")
    message(FATAL_ERROR "${LAUNCHER_DEPS_FILE} names no ${_dep} build: run scripts/bootstrap.sh")
  endif()
endforeach()

set(_mingw_root /usr/${MINGW_TRIPLE})

function(launcher_import name lib include)
  add_library(${name} STATIC IMPORTED GLOBAL)
  set_target_properties(${name} PROPERTIES IMPORTED_LOCATION ${lib}
                        INTERFACE_INCLUDE_DIRECTORIES ${include})
endfunction()

launcher_import(dep_zlib ${_mingw_root}/lib/libz.a ${_mingw_root}/include)
launcher_import(dep_crypto ${LAUNCHER_DEP_OPENSSL}/lib/libcrypto.a ${LAUNCHER_DEP_OPENSSL}/include)
set_property(TARGET dep_crypto PROPERTY INTERFACE_LINK_LIBRARIES ws2_32 crypt32 bcrypt advapi32 user32)
launcher_import(dep_png ${LAUNCHER_DEP_LIBPNG}/lib/libpng16.a ${LAUNCHER_DEP_LIBPNG}/include)
set_property(TARGET dep_png PROPERTY INTERFACE_LINK_LIBRARIES dep_zlib)
launcher_import(dep_tinyxml2 ${LAUNCHER_DEP_TINYXML2}/lib/libtinyxml2.a ${LAUNCHER_DEP_TINYXML2}/include)
launcher_import(dep_archive ${LAUNCHER_DEP_LIBARCHIVE}/lib/libarchive_static.a ${LAUNCHER_DEP_LIBARCHIVE}/include)
set_property(TARGET dep_archive PROPERTY INTERFACE_LINK_LIBRARIES dep_zlib)
set_property(TARGET dep_archive PROPERTY INTERFACE_COMPILE_DEFINITIONS LIBARCHIVE_STATIC)
