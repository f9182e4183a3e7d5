# Window behaviour components and form placement.
list(APPEND TOVIX_CONTROLS_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/app_events.cpp
  ${CMAKE_CURRENT_LIST_DIR}/app_events.h
  ${CMAKE_CURRENT_LIST_DIR}/caption_strip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/caption_strip.h
  ${CMAKE_CURRENT_LIST_DIR}/form_placement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/form_placement.h
  ${CMAKE_CURRENT_LIST_DIR}/system_menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system_menu.h
  ${CMAKE_CURRENT_LIST_DIR}/top_most_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/top_most_window.h
  ${CMAKE_CURRENT_LIST_DIR}/window_hook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_hook.h
)
