# Shared build rules: every target gets the same language level and the same
# warnings-as-errors set, so no folder can quietly relax them.

function(brivona_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor
    -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wnull-dereference
    -Wimplicit-fallthrough -Wno-unused-parameter)
endfunction()

# brivona_library(NAME <target> [SOURCES ...] [DEPS ...] [PUBLIC_INCLUDE <dir>])
# A static library; with no sources it becomes an interface target, so a
# module can be declared before its first file exists.
function(brivona_library)
  cmake_parse_arguments(A "" "NAME;PUBLIC_INCLUDE" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  if(A_SOURCES)
    add_library(${A_NAME} STATIC ${A_SOURCES})
    brivona_warnings(${A_NAME})
    set_target_properties(${A_NAME} PROPERTIES POSITION_INDEPENDENT_CODE ON)
    if(A_PUBLIC_INCLUDE)
      target_include_directories(${A_NAME} PUBLIC ${A_PUBLIC_INCLUDE})
    endif()
    target_link_libraries(${A_NAME} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
  else()
    add_library(${A_NAME} INTERFACE)
    if(A_PUBLIC_INCLUDE)
      target_include_directories(${A_NAME} INTERFACE ${A_PUBLIC_INCLUDE})
    endif()
    target_link_libraries(${A_NAME} INTERFACE ${A_DEPS})
  endif()
endfunction()

# brivona_test(NAME <exe> SOURCES ... DEPS ... [LABELS ...] [XVFB])
# A GoogleTest executable registered with CTest test by test. LABELS lets the
# sanitizer build run only the core's tests ("playcore").
function(brivona_test)
  cmake_parse_arguments(A "" "NAME" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${A_NAME} ${A_SOURCES})
  brivona_warnings(${A_NAME})
  set_target_properties(${A_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${A_NAME} PRIVATE ${A_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${A_NAME} PRIVATE
    BRIVONA_BUILD_DIR="${CMAKE_BINARY_DIR}"
    BRIVONA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(${A_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${A_LABELS}" TIMEOUT 300)
  if(NOT TARGET all_tests)
    add_custom_target(all_tests)
  endif()
  add_dependencies(all_tests ${A_NAME})
  foreach(label IN LISTS A_LABELS)
    if(NOT TARGET ${label}_tests)
      add_custom_target(${label}_tests)
    endif()
    add_dependencies(${label}_tests ${A_NAME})
  endforeach()
endfunction()

# brivona_fuzzer(NAME <exe> SOURCES ... DEPS ...): a libFuzzer target, built
# only in the fuzz preset (clang with -fsanitize=fuzzer).
function(brivona_fuzzer)
  cmake_parse_arguments(A "" "NAME" "SOURCES;DEPS" ${ARGN})
  if(NOT BRIVONA_FUZZ)
    return()
  endif()
  add_executable(${A_NAME} ${A_SOURCES})
  brivona_warnings(${A_NAME})
  set_target_properties(${A_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  target_compile_options(${A_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${A_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${A_NAME} PRIVATE ${A_DEPS})
endfunction()

# brivona_benchmark(NAME <exe> SOURCES ... DEPS ...): a Google Benchmark program.
function(brivona_benchmark)
  cmake_parse_arguments(A "" "NAME" "SOURCES;DEPS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${A_NAME} ${A_SOURCES})
  brivona_warnings(${A_NAME})
  set_target_properties(${A_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_link_libraries(${A_NAME} PRIVATE ${A_DEPS} benchmark::benchmark)
endfunction()
