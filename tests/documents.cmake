# Golden documents: every tests/documents/*.calc, tests/documents/regressions/
# *.calc and examples/*.calc runs through tarvine-cli --json and must print
# exactly its .json beside it (for examples, tests/documents/examples/
# <name>.json). scripts/update-goldens.sh rewrites them; review the diff before
# committing.
if(TARGET tarvine-cli)
  set(goldenScript ${CMAKE_CURRENT_SOURCE_DIR}/documents/CheckGolden.cmake)
  file(GLOB documents CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/documents/*.calc)
  foreach(document IN LISTS documents)
    get_filename_component(name ${document} NAME_WE)
    add_test(NAME document.${name}
      COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:tarvine-cli> -DDOCUMENT=${document}
        -DEXPECTED=${CMAKE_CURRENT_SOURCE_DIR}/documents/${name}.json -P ${goldenScript})
  endforeach()

  # Inputs the fuzzers found, kept so that each fix stays fixed.
  file(GLOB regressions CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/documents/regressions/*.calc)
  foreach(document IN LISTS regressions)
    get_filename_component(name ${document} NAME_WE)
    add_test(NAME regression.${name}
      COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:tarvine-cli> -DDOCUMENT=${document}
        -DEXPECTED=${CMAKE_CURRENT_SOURCE_DIR}/documents/regressions/${name}.json -P ${goldenScript})
  endforeach()

  file(GLOB examples CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/*.calc)
  foreach(example IN LISTS examples)
    get_filename_component(name ${example} NAME_WE)
    add_test(NAME example.${name}
      COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:tarvine-cli> -DDOCUMENT=${example}
        -DEXPECTED=${CMAKE_CURRENT_SOURCE_DIR}/documents/examples/${name}.json -P ${goldenScript})
  endforeach()

  # The tour in the README is what tarvine-cli prints for examples/tour.calc.
  add_test(NAME readme.tour
    COMMAND ${CMAKE_COMMAND} -DCLI=$<TARGET_FILE:tarvine-cli> -DDOCUMENT=${PROJECT_SOURCE_DIR}/examples/tour.calc
      -DREADME=${PROJECT_SOURCE_DIR}/README.md -P ${CMAKE_CURRENT_SOURCE_DIR}/documents/CheckReadme.cmake)
endif()
