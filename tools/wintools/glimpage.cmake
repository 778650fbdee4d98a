# Targets of glimpage: a portable core (script reader, driver, output layer)
# and one thin system layer per platform. The core is a library so that the
# unit tests and the fuzzer can drive it through their own platform tables.
add_library(glimpage_core STATIC
    glimpage_stream.cc
    glimpage_textmode.cc
    glimpage_script.cc
    glimpage_output.cc
    glimpage_pager.cc
)
target_include_directories(glimpage_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
orvi_target_defaults(glimpage_core)

if(WIN32)
    set(glimpage_system_layer glimpage_win32.cc)
else()
    set(glimpage_system_layer glimpage_posix.cc)
endif()
add_executable(glimpage glimpage_main.cc ${glimpage_system_layer})
target_link_libraries(glimpage PRIVATE glimpage_core)
orvi_target_defaults(glimpage)
