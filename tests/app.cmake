# Qt tests of the desktop app. They run on the offscreen platform with a
# private runtime folder, and never touch the user's preferences.
if(NOT TARGET HighlightRules)
  return()
endif()
find_package(Qt6 6.4 REQUIRED COMPONENTS Test)

set(TARVINE_QT_TEST_RUNTIME_DIR ${CMAKE_CURRENT_BINARY_DIR}/qt-runtime)
file(MAKE_DIRECTORY ${TARVINE_QT_TEST_RUNTIME_DIR})
file(CHMOD ${TARVINE_QT_TEST_RUNTIME_DIR} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

function(tarvine_add_qt_test name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE Qt6::Test ${arg_LIBRARIES})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT
    "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${TARVINE_QT_TEST_RUNTIME_DIR}")
endfunction()

# The rule engine, without widgets.
tarvine_add_qt_test(highlight_rule_tests
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/app/HighlightingEditor/HighlightRuleTest.cpp
  LIBRARIES HighlightRules)

# The editor component, driven with key clicks.
tarvine_add_qt_test(highlighting_editor_tests
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/app/HighlightingEditor/HighlightingEditorTest.cpp
  LIBRARIES HighlightingEditor)

# The real windows, driven with key clicks; they need the engine.
if(TARGET TarvineWidgets)
  tarvine_add_qt_test(app_window_tests
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/app/WindowTest.cpp
    LIBRARIES TarvineWidgets)
endif()
