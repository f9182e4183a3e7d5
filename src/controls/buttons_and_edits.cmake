# Speed buttons, glyphs and drawing routines; spin edit; edit-with-button controls.
list(APPEND TOVIX_CONTROLS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/placeholder_a.cpp
)
