# Golden documents: every tests/documents/*.calc, tests/documents/regressions/
# *.calc and examples/*.calc runs through tarvine-cli --json and must print
# exactly its .json beside it (for examples, tests/documents/examples/
# <name>.json). scripts/update-goldens.sh rewrites them; review the diff before
# committing.
if(TARGET tarvine-cli)
  # One test per document matching `pattern`, named prefix.<name>, checked
  # against <name>.json in `expectedDir`.
  function(add_golden_tests prefix pattern expectedDir)
    file(GLOB documents CONFIGURE_DEPENDS ${pattern})
    foreach(document IN LISTS documents)
      get_filename_component(name ${document} NAME_WE)
      add_test(NAME ${prefix}.${name}
        COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:tarvine-cli> -DDOCUMENT=${document}
          -DEXPECTED=${expectedDir}/${name}.json -P ${CMAKE_CURRENT_SOURCE_DIR}/documents/CheckGolden.cmake)
    endforeach()
  endfunction()

  set(documents ${CMAKE_CURRENT_SOURCE_DIR}/documents)
  add_golden_tests(document ${documents}/*.calc ${documents})
  # Inputs the fuzzers found, kept so that each fix stays fixed.
  add_golden_tests(regression ${documents}/regressions/*.calc ${documents}/regressions)
  add_golden_tests(example ${PROJECT_SOURCE_DIR}/examples/*.calc ${documents}/examples)

  # The tour in the README is what tarvine-cli prints for examples/tour.calc.
  add_test(NAME readme.tour
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:tarvine-cli> -DDOCUMENT=${PROJECT_SOURCE_DIR}/examples/tour.calc
      -DREADME=${PROJECT_SOURCE_DIR}/README.md -P ${CMAKE_CURRENT_SOURCE_DIR}/documents/CheckReadme.cmake)
endif()
