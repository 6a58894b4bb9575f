# Helpers that keep the per-folder build files short and the layering visible.

# quenlix_core_library(<name> SOURCES ... [DEPS ...])
# A static core library: plain C++, never linked against a Qt target.
function(quenlix_core_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    foreach(dep ${ARG_DEPS})
        if(dep MATCHES "^Qt")
            message(FATAL_ERROR "core library ${name} must not link ${dep}")
        endif()
    endforeach()
endfunction()

# quenlix_test(<name> SOURCES ... LIBS ...)
# A GoogleTest executable; every test case becomes one ctest test.
function(quenlix_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    target_compile_definitions(${name} PRIVATE
        QUENLIX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        QUENLIX_TABLE_DIR="${CMAKE_BINARY_DIR}/bin")
    # A test that hangs fails within two minutes instead of holding the run.
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endfunction()

# quenlix_fuzzer(<name> SOURCES ... LIBS ... [RUNS n] [SEED_GENERATOR target])
# A libFuzzer harness; its short bounded run is a ctest test of the fuzz build.
# A seed generator, when given, is run first with the corpus folder as argument.
function(quenlix_fuzzer name)
    cmake_parse_arguments(ARG "" "RUNS;SEED_GENERATOR" "SOURCES;LIBS" ${ARGN})
    if(NOT ARG_RUNS)
        set(ARG_RUNS 20000)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/fuzz)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    set(seeds ${CMAKE_BINARY_DIR}/fuzz-seeds/${name})
    file(MAKE_DIRECTORY ${seeds})
    add_test(NAME fuzz_smoke.${name}
        COMMAND $<TARGET_FILE:${name}> -runs=${ARG_RUNS} -max_len=8192 -seed=1 ${seeds})
    set_tests_properties(fuzz_smoke.${name} PROPERTIES TIMEOUT 600)
    if(ARG_SEED_GENERATOR)
        add_test(NAME fuzz_seeds.${name} COMMAND $<TARGET_FILE:${ARG_SEED_GENERATOR}> ${seeds})
        set_tests_properties(fuzz_seeds.${name} PROPERTIES FIXTURES_SETUP seeds_${name})
        set_tests_properties(fuzz_smoke.${name} PROPERTIES FIXTURES_REQUIRED seeds_${name})
    endif()
endfunction()

# quenlix_benchmark(<name> SOURCES ... LIBS ...)
function(quenlix_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    find_package(benchmark REQUIRED)
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/bench)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()
