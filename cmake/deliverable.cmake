# The one declaration of a deliverable, in its tool's own CMakeLists.txt:
#
#   orvi_deliverable(name EXE|DLL "one-line description"
#                    SOURCES file... [LIBS target...] [WINDOWS_ONLY]
#                    [MANPAGE page.1] [E2E test_name.py... [E2E_LOCK resource]])
#
# builds the program (EXE) or the DLL (DLL) from SOURCES, linked with LIBS,
# with our compiler options, and registers everything that follows from it:
# - on Windows its version resource (the description is its FileDescription)
#   and its install rule, bin/NAME.exe or bin/NAME.dll, which put it in the
#   ZIP package; a DLL gets no import library (an installer loads it by name);
# - natively, unless WINDOWS_ONLY, its install rule, bin/NAME, and its manual
#   page, share/man/man1/PAGE with the release in its footer (configured into
#   the build tree's man/), which put both in the tarball and the Debian
#   package;
# - its line in the build tree's deliverables.txt (both builds list every
#   deliverable: "NAME FILE PLATFORMS PAGE", FILE the Windows file name,
#   PLATFORMS windows or windows,native, PAGE or "-"), from which the imports
#   test takes the Windows images to check and the package test the pages;
# - with the tests, its end-to-end scripts (beside it, Python unittest, named
#   test_NAME[_ASPECT].py), each one ctest test NAME_e2e[_ASPECT] wherever the
#   deliverable is built; E2E_LOCK makes them wait for the other tests that
#   hold the same resource (the registry key, say).
file(WRITE ${CMAKE_BINARY_DIR}/deliverables.txt "")

function(orvi_deliverable name kind description)
    cmake_parse_arguments(arg "WINDOWS_ONLY" "MANPAGE;E2E_LOCK" "SOURCES;LIBS;E2E" ${ARGN})
    if(arg_UNPARSED_ARGUMENTS OR NOT kind MATCHES "^(EXE|DLL)$")
        message(FATAL_ERROR "orvi_deliverable(${name}): unknown ${kind} ${arg_UNPARSED_ARGUMENTS}")
    endif()
    set(file ${name}.exe)
    if(kind STREQUAL DLL)
        set(file ${name}.dll)
    endif()
    set(platforms windows,native)
    if(arg_WINDOWS_ONLY)
        set(platforms windows)
    endif()
    set(page -)
    if(arg_MANPAGE)
        set(page ${arg_MANPAGE})
    endif()
    file(APPEND ${CMAKE_BINARY_DIR}/deliverables.txt "${name} ${file} ${platforms} ${page}\n")
    if(arg_WINDOWS_ONLY AND NOT WIN32)
        return()
    endif()

    if(kind STREQUAL DLL)
        add_library(${name} SHARED ${arg_SOURCES})
        # The installer looks for exactly NAME.dll.
        set_target_properties(${name} PROPERTIES PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".dll.a")
    else()
        add_executable(${name} ${arg_SOURCES})
    endif()
    target_link_libraries(${name} PRIVATE ${arg_LIBS})
    orvi_target_defaults(${name})

    if(WIN32)
        orvi_version_resource(${name} ${file} "${description}")
        install(TARGETS ${name} RUNTIME DESTINATION bin
                ARCHIVE DESTINATION lib COMPONENT import-library EXCLUDE_FROM_ALL)
    else()
        install(TARGETS ${name} RUNTIME DESTINATION bin)
        if(arg_MANPAGE)
            set(built ${PROJECT_BINARY_DIR}/man/${arg_MANPAGE})
            configure_file(${CMAKE_CURRENT_SOURCE_DIR}/${arg_MANPAGE} ${built} @ONLY)
            install(FILES ${built} DESTINATION share/man/man1)
        endif()
    endif()

    if(ORVI_TESTS)
        foreach(script ${arg_E2E})
            get_filename_component(stem ${script} NAME_WE)
            string(REGEX REPLACE "^test_${name}" "${name}_e2e" test ${stem})
            orvi_py_test(${test} ${script})
            if(arg_E2E_LOCK)
                set_tests_properties(${test} PROPERTIES RESOURCE_LOCK ${arg_E2E_LOCK})
            endif()
        endforeach()
    endif()
endfunction()
