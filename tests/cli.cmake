# tarvine-cli, run as a user would: options, exit statuses, outputs.
if(TARGET tarvine-cli)
  add_executable(cli_tests ${CMAKE_CURRENT_SOURCE_DIR}/cli/CliTest.cpp)
  target_link_libraries(cli_tests PRIVATE GTest::gtest GTest::gtest_main)
  target_include_directories(cli_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(cli_tests PRIVATE TARVINE_CLI_PATH="$<TARGET_FILE:tarvine-cli>")
  add_dependencies(cli_tests tarvine-cli)
  add_test(NAME cli_tests COMMAND cli_tests)
endif()
