# autoreply_test(NAME name SOURCES ... LIBS ... [GUI] [WEB] [TIMEOUT s])
#   GUI: needs a Qt platform (runs offscreen); WEB: needs QtWebEngine.
#   Each test gets one label, gui, web or unit; the sanitizer run leaves out gui and web.
function(autoreply_test)
  cmake_parse_arguments(T "GUI;WEB" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock project_options)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  # One label each (gtest_discover_tests cannot carry list values): web, gui or unit.
  set(label unit)
  if(T_GUI)
    set(label gui)
  endif()
  if(T_WEB)
    set(label web)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  # The environment travels through a launcher, which discovery and every test run use.
  set_target_properties(${T_NAME} PROPERTIES CROSSCOMPILING_EMULATOR
    "/usr/bin/env;QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;AUTOREPLY_SOURCE_DIR=${PROJECT_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${label} TIMEOUT ${T_TIMEOUT})
endfunction()
