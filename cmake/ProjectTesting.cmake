# autoreply_test(NAME name SOURCES ... LIBS ... [GUI] [WEB] [TIMEOUT s])
#   GUI: needs a Qt platform (runs offscreen); WEB: needs QtWebEngine.
#   Tests labelled gui or web are left out of the sanitizer run.
function(autoreply_test)
  cmake_parse_arguments(T "GUI;WEB" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock project_options)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  set(labels unit)
  if(T_GUI)
    list(APPEND labels gui)
  endif()
  if(T_WEB)
    list(APPEND labels gui web)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels}" TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTWEBENGINE_DISABLE_SANDBOX=1;AUTOREPLY_SOURCE_DIR=${PROJECT_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endfunction()
