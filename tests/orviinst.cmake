# Tests of orviinst and its argument quoting.
orvi_unit_test(mkcmd_test
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/mkcmd_test.cc
            ${PROJECT_SOURCE_DIR}/tools/wintools/mkcmd.cc)
