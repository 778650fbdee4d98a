# Tests of usefull. The portable utilities are compiled into their test
# directly, so that the test builds whatever state the rest of liborvi is in.
orvi_unit_test(usefull_test
    SOURCES unit/usefull_test.cc ${PROJECT_SOURCE_DIR}/liborvi/usefull.cc)
