# The generated documents that the benchmarks and the peer comparison time:
# they must be what they claim, or the figures measure error paths.
if(TARGET TarvineCore)
  tarvine_add_test_suite(bench_tests bench TarvineCore)
  target_include_directories(bench_tests PRIVATE ${PROJECT_SOURCE_DIR}/bench)
endif()
