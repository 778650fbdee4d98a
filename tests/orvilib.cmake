# Tests of orvilib and of the registry store it is built on.
orvi_unit_test(version_test SOURCES unit/version_test.cc LIBS orvi)
if(WIN32)
    orvi_unit_test(config_test SOURCES unit/config_test.cc LIBS orvi)
endif()
