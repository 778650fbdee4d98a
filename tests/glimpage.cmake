# Tests of glimpage: unit tests of the portable core driven through a fake
# system table (natively under the sanitizers and cross-built under Wine), a
# test of the real system layer's streams, and a fuzzer over reader and driver.
orvi_unit_test(glimpage_test
    SOURCES unit/glimpage_script_test.cc
            unit/glimpage_output_test.cc
            unit/glimpage_textmode_test.cc
    LIBS glimpage_core)
if(WIN32)
    set(glimpage_system_layer ${PROJECT_SOURCE_DIR}/tools/wintools/glimpage_win32.cc)
else()
    set(glimpage_system_layer ${PROJECT_SOURCE_DIR}/tools/wintools/glimpage_posix.cc)
endif()
orvi_unit_test(glimpage_system_test
    SOURCES unit/glimpage_system_test.cc ${glimpage_system_layer}
    LIBS glimpage_core)
orvi_fuzz_test(glimpage_fuzz
    SOURCES fuzz/glimpage_fuzz.cc
            ${PROJECT_SOURCE_DIR}/tools/wintools/glimpage_stream.cc
            ${PROJECT_SOURCE_DIR}/tools/wintools/glimpage_script.cc
            ${PROJECT_SOURCE_DIR}/tools/wintools/glimpage_output.cc
            ${PROJECT_SOURCE_DIR}/tools/wintools/glimpage_pager.cc
    CORPUS ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/glimpage
    SECONDS 20)
