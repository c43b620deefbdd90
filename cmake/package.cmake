# Builds the embedded package (a RAR 2.9 archive of assets/package plus the
# compiled string tables) and the six slot resources with their shipped
# values, using the host tool, into LAUNCHER_RESOURCE_DIR. Sets
# LAUNCHER_PACKAGE and LAUNCHER_SLOT_FILES.

set(_assets ${PROJECT_SOURCE_DIR}/assets)
set(_stage ${CMAKE_CURRENT_BINARY_DIR}/package)
set(LAUNCHER_RESOURCE_DIR ${CMAKE_CURRENT_BINARY_DIR}/resources)
set(LAUNCHER_PACKAGE ${LAUNCHER_RESOURCE_DIR}/package.rar)

set(_lso_commands)
set(_string_sources)
foreach(_lang IN ITEMS en:english kk:kazakh ru:russian uk:ukrainian)
  string(REPLACE ":" ";" _pair ${_lang})
  list(GET _pair 0 _code)
  list(GET _pair 1 _name)
  list(APPEND _string_sources ${_assets}/strings/${_code}.txt)
  list(APPEND _lso_commands COMMAND ${LAUNCHER_TOOL} lso-compile ${_assets}/strings/${_code}.txt
       ${_stage}/stringtable_launcher_${_code}_${_name}.lso)
endforeach()

file(GLOB_RECURSE _package_files CONFIGURE_DEPENDS ${_assets}/package/*)
add_custom_command(OUTPUT ${LAUNCHER_PACKAGE}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_stage}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${_assets}/package ${_stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${LAUNCHER_RESOURCE_DIR}
  ${_lso_commands}
  COMMAND ${LAUNCHER_TOOL} rar-create ${_stage} ${LAUNCHER_PACKAGE}
  DEPENDS ${_package_files} ${_string_sources} ${LAUNCHER_TOOL} host_tools
  COMMENT "Building the embedded package"
  VERBATIM)

# Shipped slot values; publishers patch them in the finished exe.
set(_slot_values
  "SERVER_URL|http://127.0.0.1:8080/"
  "UPDATE_PATH|/game-clients/win32/velomar/updates.velomar/"
  "LANGUAGE|en"
  "AFFILIATE_ID|"
  "REFERRER_ID|"
  "PROMOCODE|")
set(LAUNCHER_SLOT_FILES)
foreach(_slot IN LISTS _slot_values)
  string(REPLACE "|" ";" _pair "${_slot}")
  list(GET _pair 0 _name)
  list(LENGTH _pair _n)
  set(_value)
  if(_n GREATER 1)
    list(GET _pair 1 _value)
  endif()
  set(_out ${LAUNCHER_RESOURCE_DIR}/${_name}.bin)
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${LAUNCHER_RESOURCE_DIR}
    COMMAND ${LAUNCHER_TOOL} slot-make ${_name} ${_out} ${_value}
    DEPENDS ${LAUNCHER_TOOL} host_tools
    VERBATIM)
  list(APPEND LAUNCHER_SLOT_FILES ${_out})
endforeach()
add_custom_target(launcher_package DEPENDS ${LAUNCHER_PACKAGE} ${LAUNCHER_SLOT_FILES})
