# talor_module(NAME DEPS dep...)
#   A static library talor_NAME from every .cc file in src/NAME, with src/ on
#   the include path so that headers are named "text/encoding.h".
function(talor_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cc)
  add_library(talor_${name} STATIC ${sources})
  target_include_directories(talor_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(talor_${name} PUBLIC ${ARG_DEPS})
endfunction()

# talor_tests(NAME DEPS dep...)
#   One GoogleTest binary NAME_tests from every *_test.cc in this folder.
function(talor_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cc)
  add_executable(${name}_tests ${sources})
  target_include_directories(${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/src
                                                   ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name}_tests PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main
                                              GTest::gmock)
  target_compile_definitions(${name}_tests PRIVATE
      TALOR_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TALOR_BINARY_DIR="${PROJECT_BINARY_DIR}")
  # Parameter values stay out of the test names, which would otherwise
  # carry their bytes and pad ctest's log to hundreds of columns.
  gtest_discover_tests(${name}_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_TYPES NO_PRETTY_VALUES
                       PROPERTIES LABELS ${name})
endfunction()
