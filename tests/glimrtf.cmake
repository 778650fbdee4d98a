# Tests of glimrtf: the core's unit tests (natively and under Wine), the
# end-to-end tests of the program, and a fuzzer over the filter.
orvi_unit_test(glimrtf_test SOURCES unit/glimrtf_test.cc LIBS glimrtf_core)
orvi_fuzz_test(glimrtf_fuzz
    SOURCES fuzz/glimrtf_fuzz.cc
            ${PROJECT_SOURCE_DIR}/tools/wintools/glimrtf_filter.cc
            ${PROJECT_SOURCE_DIR}/tools/wintools/glimrtf_textmode.cc
    CORPUS ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/glimrtf
    SECONDS 20)
orvi_py_test(glimrtf_e2e test_glimrtf.py)
orvi_py_test(glimrtf_e2e_reader test_glimrtf_reader.py)
