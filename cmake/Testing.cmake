# osmund_add_test(<name> SOURCES <files...> LIBS <targets...> [QT])
#
# Builds one GoogleTest executable and registers its cases with CTest.
# QT links a main() that creates a QApplication on the offscreen platform,
# for tests of widgets, painting and the clipboard.
include(GoogleTest)

function(osmund_add_test name)
  if(NOT OSMUND_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_QT)
    target_link_libraries(${name} PRIVATE ${T_LIBS} osmund_qt_gtest_main GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
endfunction()
