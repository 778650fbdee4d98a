# Targets of wideconv: the program, and its pieces without main() as a library
# for the unit tests.
if(WIN32)
    set(wideconv_platform wideconv_win32.cc)
else()
    set(wideconv_platform wideconv_posix.cc)
endif()

add_library(wideconv_core STATIC wideconv_text.cc ${wideconv_platform})
orvi_target_defaults(wideconv_core)

add_executable(wideconv wideconv.cc)
target_link_libraries(wideconv PRIVATE wideconv_core)
orvi_target_defaults(wideconv)
