# pealix_add_tests(<prefix> LIBS <libs...> [ENV <VAR=value>])
# ENV takes one variable: the discovered tests' properties cannot carry a list, so a
# second one would be read as a property name.
# Every tests/*_test.cpp of the calling directory becomes its own test program, so a
# file that does not compile holds up only its own target.
function(pealix_add_tests prefix)
  if(PEALIX_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "LIBS;ENV" ${ARGN})
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  foreach(src ${test_sources})
    get_filename_component(name ${src} NAME_WE)
    set(target ${prefix}_${name})
    add_executable(${target} ${src})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    target_compile_definitions(${target} PRIVATE
      PEALIX_BIN_DIR="${PEALIX_BIN_DIR}"
      PEALIX_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/tests/data"
      PEALIX_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "${ARG_ENV}")
  endforeach()
endfunction()
