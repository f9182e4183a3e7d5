# Shared compile settings and the test helper.

function(tovix_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow=local
                                           -Wno-unused-parameter)
  if(TOVIX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# tovix_add_test(<name> SOURCES <files...> LIBS <targets...> [QT] [OWN_MAIN])
# One test program per unit, run by ctest through gtest_discover_tests. OWN_MAIN: a widget test
# whose sources hold main() (to choose the platform before the QApplication is made).
function(tovix_add_test name)
  cmake_parse_arguments(T "QT;OWN_MAIN" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  # tovix_test_home: the program runs in a HOME and XDG folders of its own (tests/support).
  target_link_libraries(${name} PRIVATE ${T_LIBS} tovix_test_support tovix_test_home GTest::gmock)
  if(T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE Qt6::Widgets Qt6::Test GTest::gtest)
  elseif(T_QT)
    target_link_libraries(${name} PRIVATE tovix_qt_test_main)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  tovix_set_warnings(${name})
  # Data folders are compiled into tovix_test_support; the environment may override them.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# tovix_add_xserver_test(<name> SOURCES <files...> LIBS <targets...>)
# A widget test program for what only a real window system shows (real X key events, focus,
# window placement): ctest runs it whole, as one test labelled "xserver", under an X server of
# its own (scripts/with-xserver.sh: Xvfb on a display it picks itself, a small window manager,
# the xcb platform). Where Xvfb is not installed it is skipped with one line saying so.
# `ctest -L xserver` runs just these; `ctest -LE xserver` all the others.
function(tovix_add_xserver_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tovix_test_support tovix_test_home
                                        tovix_qt_test_main GTest::gmock)
  tovix_set_warnings(${name})
  add_test(NAME ${name} COMMAND ${PROJECT_SOURCE_DIR}/scripts/with-xserver.sh
                                $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES LABELS xserver SKIP_RETURN_CODE 77 TIMEOUT 300)
endfunction()
