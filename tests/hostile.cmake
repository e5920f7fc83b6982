# Documents a hostile or careless user can type, through the bridge, the
# engine and tarvine-cli. Every test is a ctest entry of its own, so the big
# documents run in parallel.
if(TARGET TarvineCore AND TARGET tarvine-cli)
  include(GoogleTest)
  file(GLOB hostileSources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/hostile/*.cpp)
  add_executable(hostile_tests ${hostileSources})
  target_link_libraries(hostile_tests PRIVATE GTest::gtest GTest::gtest_main TarvineCore)
  target_include_directories(hostile_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(hostile_tests PRIVATE TARVINE_CLI_PATH="$<TARGET_FILE:tarvine-cli>")
  add_dependencies(hostile_tests tarvine-cli)
  # A hang fails its test instead of holding up the run.
  gtest_discover_tests(hostile_tests TEST_PREFIX hostile. PROPERTIES TIMEOUT 120)
endif()
