# The Qt desktop app. Included by app/CMakeLists.txt when TARVINE_BUILD_APP is on.
find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets)

# The highlighting rule engine: pure logic over QString, no widgets.
add_library(HighlightRules STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/HighlightingEditor/AttributedText.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/HighlightingEditor/HighlightRule.cpp)
target_include_directories(HighlightRules PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(HighlightRules PUBLIC Qt6::Gui)

# The editor component: a text view highlighted by rules.
add_library(HighlightingEditor STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/HighlightingEditor/HighlightingEditor.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/HighlightingEditor/RuleHighlighter.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/HighlightingEditor/TextView.cpp)
set_target_properties(HighlightingEditor PROPERTIES AUTOMOC ON)
target_link_libraries(HighlightingEditor PUBLIC HighlightRules Qt6::Widgets)

# The window, its gutters and status bars, settings and the application shell.
file(GLOB TARVINE_APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
list(REMOVE_ITEM TARVINE_APP_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
add_library(TarvineWidgets STATIC ${TARVINE_APP_SOURCES})
set_target_properties(TarvineWidgets PROPERTIES AUTOMOC ON)
target_include_directories(TarvineWidgets PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(TarvineWidgets PUBLIC HighlightingEditor TarvineCore Qt6::Widgets)

add_executable(tarvine ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
target_link_libraries(tarvine PRIVATE TarvineWidgets)

# The window's costs on a long document.
if(TARVINE_BUILD_BENCHMARKS)
  find_package(benchmark REQUIRED)
  find_package(Qt6 6.4 REQUIRED COMPONENTS Test)
  add_executable(tarvine_app_bench ${PROJECT_SOURCE_DIR}/bench/app/AppBench.cpp)
  target_link_libraries(tarvine_app_bench PRIVATE TarvineWidgets Qt6::Test benchmark::benchmark)
  target_include_directories(tarvine_app_bench PRIVATE ${PROJECT_SOURCE_DIR}/bench)
endif()
