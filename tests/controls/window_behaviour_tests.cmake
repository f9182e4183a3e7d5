# tovix_add_test(<name>_test SOURCES ... LIBS tovix_controls QT)
