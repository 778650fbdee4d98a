# Tests of wideconv: its read buffer and conversion layer (natively under the
# sanitizers, cross-built under Wine), and the program end to end.
orvi_unit_test(wideconv_test SOURCES unit/wideconv_test.cc LIBS wideconv_core)
orvi_py_test(wideconv_e2e test_wideconv.py)
