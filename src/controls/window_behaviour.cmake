# Window behaviour components and form placement.
list(APPEND TOVIX_CONTROLS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/placeholder_b.cpp
)
