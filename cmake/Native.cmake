# Host build: unit tests under ASan/UBSan, benchmarks.
find_package(GTest REQUIRED)
find_package(JPEG REQUIRED)
find_package(benchmark REQUIRED)

set(sanitizers -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
target_compile_options(pennora_logic PRIVATE ${sanitizers})
target_link_libraries(pennora_logic PUBLIC JPEG::JPEG)

# One test program per file, so a file that does not build yet holds up only
# its own tests.
include(GoogleTest)
file(GLOB unit_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
foreach(src ${unit_sources})
  get_filename_component(name ${src} NAME_WE)
  add_executable(unit_${name} ${src})
  target_include_directories(unit_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_options(unit_${name} PRIVATE ${sanitizers})
  target_link_options(unit_${name} PRIVATE ${sanitizers})
  target_link_libraries(unit_${name} PRIVATE pennora_logic GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(unit_${name} PRIVATE PENNORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(unit_${name} TEST_PREFIX "unit." DISCOVERY_TIMEOUT 60)
endforeach()

# Benchmarks measure an optimised copy of the logic, without sanitizers.
file(GLOB bench_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*.cpp)
if(bench_sources)
  add_library(pennora_logic_optimised STATIC ${PENNORA_LOGIC_SOURCES})
  target_include_directories(pennora_logic_optimised PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(pennora_logic_optimised PRIVATE -O2 -DNDEBUG)
  target_link_libraries(pennora_logic_optimised PUBLIC JPEG::JPEG)
  add_executable(pennora_bench ${bench_sources})
  target_compile_options(pennora_bench PRIVATE -O2 -DNDEBUG)
  target_include_directories(pennora_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(pennora_bench PRIVATE pennora_logic_optimised benchmark::benchmark benchmark::benchmark_main)
endif()

# Every fuzz target also builds natively against a small driver that replays
# its seed corpus and a run of pseudo-random inputs, so CTest keeps them
# compiling and crash-free; scripts/fuzz runs them under libFuzzer (clang).
file(GLOB fuzz_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*Fuzz.cpp)
if(PENNORA_LIBFUZZER)
  # The readers live in the logic library: without coverage from it libFuzzer
  # would see only the targets' own few lines and mutate blind.
  target_compile_options(pennora_logic PRIVATE -fsanitize=fuzzer-no-link)
endif()
foreach(src ${fuzz_sources})
  get_filename_component(name ${src} NAME_WE)
  if(PENNORA_LIBFUZZER)
    add_executable(${name} ${src})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE pennora_logic)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  else()
    add_executable(${name}_replay ${src} ${CMAKE_SOURCE_DIR}/tests/fuzz/ReplayMain.cpp)
    target_compile_options(${name}_replay PRIVATE ${sanitizers})
    target_link_options(${name}_replay PRIVATE ${sanitizers})
    target_link_libraries(${name}_replay PRIVATE pennora_logic)
    target_include_directories(${name}_replay PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    add_test(NAME fuzz.${name} COMMAND ${name}_replay ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  endif()
endforeach()
