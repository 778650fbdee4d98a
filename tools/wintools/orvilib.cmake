# Targets of orvilib: a console program on top of the support library.
if(WIN32)
    add_executable(orvilib orvilib.cc)
    target_link_libraries(orvilib PRIVATE orvi)
    orvi_target_defaults(orvilib)
endif()
