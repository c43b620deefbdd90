target_sources(portable_tests PRIVATE
  gui/control_states_test.cpp
  gui/edit_text_test.cpp
  gui/gui_control_test.cpp
  gui/gui_profile_test.cpp
  gui/rich_text_test.cpp
  gui/slice_layout_test.cpp
  gui/sprite_sheet_test.cpp
  gui/texture_cache_test.cpp
  gui/theme_values_test.cpp
)

if(WIN32)
  launcher_test(gui_tests RESOURCE_LOCK desktop_input gui/edit_combo_test.cpp gui/toolkit_test.cpp gui/layered_window_test.cpp gui/test_theme.cpp)
  target_link_libraries(gui_tests PRIVATE launcher_gui)
  target_compile_definitions(gui_tests PRIVATE LAUNCHER_SOURCE_DIR="Z:${PROJECT_SOURCE_DIR}")
endif()
