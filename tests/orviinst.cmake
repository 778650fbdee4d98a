# Tests of orviinst and its argument quoting.
orvi_unit_test(mkcmd_test
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/unit/mkcmd_test.cc ${PROJECT_SOURCE_DIR}/tools/wintools/mkcmd.cc)
if(WIN32)
    # Stand-ins for the installer and the shell, and an argv echo.
    foreach(helper orviinst_host orviinst_revedor orviinst_argecho)
        add_executable(${helper} tools/${helper}.c)
        orvi_target_defaults(${helper})
        set_target_properties(${helper} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    endforeach()
    orvi_unit_test(orviinst_quoting_test
        SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tools/orviinst_quoting_test.cc
                ${PROJECT_SOURCE_DIR}/tools/wintools/mkcmd.cc)
    add_dependencies(orviinst_quoting_test orviinst_argecho)
    orvi_py_test(orviinst_e2e test_orviinst.py)
    # Shares HKLM\SOFTWARE\Kestrova\Vemto\1.3 with other tests of the run.
    set_tests_properties(orviinst_e2e PROPERTIES RESOURCE_LOCK orvi_registry)
endif()
