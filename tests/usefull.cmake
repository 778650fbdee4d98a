# Tests of usefull. The portable utilities are compiled into their test
# directly, so that the test builds whatever state the rest of liborvi is in.
orvi_unit_test(usefull_test SOURCES unit/usefull_test.cc ${PROJECT_SOURCE_DIR}/liborvi/usefull.cc)
if(WIN32)
    add_executable(usefull_probe tools/usefull_probe.cc)
    target_link_libraries(usefull_probe PRIVATE orvi)
    orvi_target_defaults(usefull_probe)
    set_target_properties(usefull_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    orvi_py_test(usefull_e2e test_usefull_win32.py)
    set_tests_properties(usefull_e2e PROPERTIES RESOURCE_LOCK orvi_registry)
endif()
