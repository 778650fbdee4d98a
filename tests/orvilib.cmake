# Tests of orvilib and of the registry store it is built on. The Wine test
# drives the library's boxes through usefull_probe (tests/usefull.cmake).
orvi_unit_test(version_test SOURCES unit/version_test.cc LIBS orvi)
if(WIN32)
    orvi_unit_test(config_test SOURCES unit/config_test.cc LIBS orvi)
    orvi_py_test(orvilib_e2e test_orvilib.py)
    # Shares HKLM\SOFTWARE\Kestrova\Vemto\1.3 with other tests of the run.
    set_tests_properties(orvilib_e2e PROPERTIES RESOURCE_LOCK orvi_registry)
endif()
