# End-to-end tests of glimpage: the real program under Wine (overstruck output
# to files, bad input, the console in a tmux pane) and natively where a native
# build exists; plus the import-table check of every Windows deliverable.

if(WIN32)
    # Starts a console program with its standard input from a file while its
    # console stays attached to the terminal (a tmux pane in the tests).
    add_executable(conlaunch ${CMAKE_CURRENT_SOURCE_DIR}/tools/conlaunch.c)
    orvi_target_defaults(conlaunch)
    set_target_properties(conlaunch PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

    orvi_py_test(glimpage_e2e_overstrike test_glimpage_overstrike.py)
    orvi_py_test(glimpage_e2e_badinput test_glimpage_badinput.py)
    orvi_py_test(glimpage_e2e_console test_glimpage_console.py)
    orvi_py_test(imports test_imports.py)
elseif(TARGET glimpage)
    orvi_py_test(glimpage_e2e_badinput test_glimpage_badinput.py)
endif()
