# Speed buttons, glyphs and drawing routines; spin edit; edit-with-button controls.
list(APPEND TOVIX_CONTROLS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/control_types.h
  ${CMAKE_CURRENT_LIST_DIR}/beep.h
  ${CMAKE_CURRENT_LIST_DIR}/beep.cpp
  ${CMAKE_CURRENT_LIST_DIR}/draw_utils.h
  ${CMAKE_CURRENT_LIST_DIR}/draw_utils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/word_routines.h
  ${CMAKE_CURRENT_LIST_DIR}/word_routines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/button_glyph.h
  ${CMAKE_CURRENT_LIST_DIR}/button_glyph.cpp
  ${CMAKE_CURRENT_LIST_DIR}/speed_button.h
  ${CMAKE_CURRENT_LIST_DIR}/speed_button.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spin_edit.h
  ${CMAKE_CURRENT_LIST_DIR}/spin_edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/spin_button.cpp
  ${CMAKE_CURRENT_LIST_DIR}/combo_edit.h
  ${CMAKE_CURRENT_LIST_DIR}/combo_edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/folder_dialog.h
  ${CMAKE_CURRENT_LIST_DIR}/folder_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/directory_edit.h
  ${CMAKE_CURRENT_LIST_DIR}/directory_edit.cpp
)
