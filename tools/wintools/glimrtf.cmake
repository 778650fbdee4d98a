# Targets of glimrtf: a portable core (the filter and the text-stream
# translation, shared with the tests and the fuzzer) and the program, with one
# stream layer per platform.
add_library(glimrtf_core STATIC glimrtf_filter.cc glimrtf_textmode.cc)
orvi_target_defaults(glimrtf_core)
target_include_directories(glimrtf_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

if(WIN32)
    set(glimrtf_stream glimrtf_win32.cc)
else()
    set(glimrtf_stream glimrtf_posix.cc)
endif()
add_executable(glimrtf glimrtf.cc ${glimrtf_stream})
orvi_target_defaults(glimrtf)
target_link_libraries(glimrtf PRIVATE glimrtf_core)
