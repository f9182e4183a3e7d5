# Window behaviour components and form placement.
tovix_add_test(top_most_window_test SOURCES top_most_window_test.cpp LIBS tovix_controls QT)
tovix_add_test(system_menu_test SOURCES system_menu_test.cpp gallery_items_window_behaviour.cpp
               LIBS tovix_controls QT)
tovix_add_test(app_events_test SOURCES app_events_test.cpp LIBS tovix_controls QT)
tovix_add_test(window_hook_test SOURCES window_hook_test.cpp LIBS tovix_controls QT)
tovix_add_test(form_placement_test SOURCES form_placement_test.cpp LIBS tovix_controls QT)
