# A German locale compiled into the build tree, so that the writer's tests can
# prove number text ignores a comma-decimal process locale even on a machine
# that has no such locale installed. Without localedef the test skips.
find_program(TARVINE_LOCALEDEF localedef)
if(TARGET writer_tests AND TARVINE_LOCALEDEF)
  set(testLocales ${CMAKE_BINARY_DIR}/test-locales)
  if(NOT EXISTS ${testLocales}/de_DE.UTF-8/LC_NUMERIC)
    file(MAKE_DIRECTORY ${testLocales})
    execute_process(COMMAND ${TARVINE_LOCALEDEF} -i de_DE -f UTF-8 ${testLocales}/de_DE.UTF-8
                    OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(EXISTS ${testLocales}/de_DE.UTF-8/LC_NUMERIC)
    target_compile_definitions(writer_tests PRIVATE TARVINE_TEST_LOCALE_PATH="${testLocales}")
  endif()
endif()
