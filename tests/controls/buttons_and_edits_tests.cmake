# Speed buttons and drawing routines, spin edit, edits with a button (offscreen, real events).
tovix_add_test(speed_button_test SOURCES speed_button_test.cpp LIBS tovix_controls QT)
tovix_add_test(spin_edit_test SOURCES spin_edit_test.cpp LIBS tovix_controls QT)
tovix_add_test(combo_edit_test SOURCES combo_edit_test.cpp LIBS tovix_controls QT)
tovix_add_test(control_routines_test
  SOURCES control_routines_test.cpp gallery_items_buttons_and_edits.cpp
  LIBS tovix_controls QT)
