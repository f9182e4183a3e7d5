# Shared compile settings and the test helper.

function(tovix_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow=local
                                           -Wno-unused-parameter)
  if(TOVIX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# tovix_add_test(<name> SOURCES <files...> LIBS <targets...> [QT])
# One test program per unit, run by ctest through gtest_discover_tests.
function(tovix_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tovix_test_support GTest::gmock)
  if(T_QT)
    target_link_libraries(${name} PRIVATE tovix_qt_test_main)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  tovix_set_warnings(${name})
  set(env "TOVIX_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data"
          "TOVIX_REPORTS=${TOVIX_REPORTS_DIR}"
          "QT_QPA_PLATFORM=offscreen")
  gtest_discover_tests(${name}
    PROPERTIES ENVIRONMENT "${env}"
    DISCOVERY_TIMEOUT 60)
endfunction()
