# Targets of wideconv: the program, and its pieces without main() as a library
# for the unit tests.
if(WIN32)
    set(wideconv_platform wideconv_win32.cc)
else()
    set(wideconv_platform wideconv_posix.cc)
endif()

add_library(wideconvcore STATIC wideconv_text.cc ${wideconv_platform})
orvi_target_defaults(wideconvcore)

add_executable(wideconv wideconv.cc)
target_link_libraries(wideconv PRIVATE wideconvcore)
orvi_target_defaults(wideconv)
