# Tests of orvilib and of the registry store it is built on.
orvi_unit_test(version_test SOURCES unit/version_test.cc LIBS orvi)
if(WIN32)
    orvi_unit_test(config_test SOURCES unit/config_test.cc LIBS orvi)
    orvi_py_test(orvilib_e2e test_orvilib.py)
    set_tests_properties(orvilib_e2e PROPERTIES RESOURCE_LOCK orvi_registry)
endif()
