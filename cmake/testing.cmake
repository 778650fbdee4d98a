# Test harness. Unit tests are GoogleTest programs beside the code they test:
# natively they run under AddressSanitizer and UBSan, cross-built under Wine.
# End-to-end tests are Python scripts that drive the real programs: a tool's
# beside it (declared with the tool, orvi_deliverable), what crosses tools in
# tests/e2e, where the shared harness is.

find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

if(WIN32)
    set(ORVI_PLATFORM win32)
else()
    set(ORVI_PLATFORM native)
endif()

# Wine runs of a build share one private prefix and one persistent wineserver,
# created by a fixture before the first test and removed after the last.
set(ORVI_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(ORVI_TEST_ENV
    ORVI_PLATFORM=${ORVI_PLATFORM}
    ORVI_BIN=${CMAKE_BINARY_DIR}/bin
    ORVI_BUILD=${CMAKE_BINARY_DIR}
    ORVI_SOURCE=${PROJECT_SOURCE_DIR}
    PYTHONPATH=${PROJECT_SOURCE_DIR}/tests/e2e
    PYTHONDONTWRITEBYTECODE=1)
if(WIN32)
    file(STRINGS ${PROJECT_SOURCE_DIR}/scripts/wine.env wine_env REGEX "^[A-Z]")
    list(APPEND ORVI_TEST_ENV WINEPREFIX=${ORVI_WINEPREFIX} ${wine_env})
    set(prefix_script ${PROJECT_SOURCE_DIR}/scripts/wineprefix.sh)
    add_test(NAME wine_prefix_setup COMMAND sh ${prefix_script} setup ${ORVI_WINEPREFIX})
    add_test(NAME wine_prefix_cleanup COMMAND sh ${prefix_script} remove ${ORVI_WINEPREFIX})
    set_tests_properties(wine_prefix_setup PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(wine_prefix_cleanup PROPERTIES FIXTURES_CLEANUP wine)
endif()

function(orvi_test_properties name)
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "${ORVI_TEST_ENV}"
        ENVIRONMENT_MODIFICATION "DISPLAY=unset:"
        TIMEOUT 300)
    if(WIN32)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
    endif()
endfunction()

# orvi_unit_test(name SOURCES a.cc b.cc LIBS lib...): one GoogleTest program,
# one ctest test. The calling folder is on its include path.
function(orvi_unit_test name)
    cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE GTest::gtest_main ${arg_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/include
                               ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${ORVI_WARNINGS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    orvi_test_properties(${name})
endfunction()

# orvi_double_byte_run(name): under Wine, a second run of the unit test name
# in the double-byte code page 932, which Wine takes from the locale.
function(orvi_double_byte_run name)
    if(WIN32)
        add_test(NAME ${name}_932 COMMAND ${name})
        orvi_test_properties(${name}_932)
        set_tests_properties(${name}_932 PROPERTIES
            ENVIRONMENT_MODIFICATION "DISPLAY=unset:;LC_ALL=set:ja_JP.UTF-8")
    endif()
endfunction()

# orvi_py_test(name script.py): an end-to-end test script, its path relative
# to the calling folder: a Python unittest module, which unittest runs (the
# scripts need no main of their own; they run with ctest's environment only).
function(orvi_py_test name script)
    get_filename_component(script ${script} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    if(NOT EXISTS ${script})
        message(FATAL_ERROR "orvi_py_test(${name}): there is no ${script}")
    endif()
    get_filename_component(folder ${script} DIRECTORY)
    get_filename_component(module ${script} NAME)
    add_test(NAME ${name}
             COMMAND ${Python3_EXECUTABLE} -m unittest discover -v -s ${folder} -p ${module})
    orvi_test_properties(${name})
endfunction()

# Seconds each fuzz target runs in ctest: a smoke run that keeps the suite
# short. Long campaigns over the same corpora: sh scripts/fuzz.sh.
set(ORVI_FUZZ_SECONDS 6 CACHE STRING "Seconds each fuzz target runs in ctest")
file(WRITE ${CMAKE_BINARY_DIR}/fuzz-targets.txt "")

# orvi_fuzz_test(name SOURCES ... LIBS ... CORPUS dir [SECONDS n]): a libFuzzer
# target, run by ctest for a bounded time (ORVI_FUZZ_SECONDS unless given)
# from a corpus kept in the repo, or only over that corpus (ORVI_FUZZ_REPLAY).
function(orvi_fuzz_test name)
    if(NOT ORVI_FUZZ)
        return()
    endif()
    cmake_parse_arguments(arg "" "CORPUS;SECONDS" "SOURCES;LIBS" ${ARGN})
    if(NOT arg_SECONDS)
        set(arg_SECONDS ${ORVI_FUZZ_SECONDS})
    endif()
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE ${arg_LIBS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${ORVI_WARNINGS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/include
                               ${CMAKE_CURRENT_SOURCE_DIR})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    # scripts/fuzz.sh finds each target's corpus here.
    file(APPEND ${CMAKE_BINARY_DIR}/fuzz-targets.txt "${name} ${arg_CORPUS}\n")
    # Fresh inputs go to a scratch copy; the repo's corpus is only read.
    set(work ${CMAKE_BINARY_DIR}/fuzz-work/${name})
    set(runs -max_total_time=${arg_SECONDS})
    if(ORVI_FUZZ_REPLAY)
        set(runs -runs=0)
    endif()
    add_test(NAME ${name}
             COMMAND sh -c "rm -rf '${work}' && mkdir -p '${work}' && exec \"$0\" ${runs} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 '${work}' '${arg_CORPUS}'"
                     $<TARGET_FILE:${name}>)
    orvi_test_properties(${name})
endfunction()
