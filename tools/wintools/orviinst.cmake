# Targets of orviinst: the installer extension orviinst.dll (Windows only).
if(WIN32)
    add_library(orviinst SHARED orviinst.cc mkcmd.cc orviinst.def)
    target_link_libraries(orviinst PRIVATE orvi)
    orvi_target_defaults(orviinst)
    # The installer looks for exactly orviinst.dll; no import library is wanted.
    set_target_properties(orviinst PROPERTIES PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".dll.a")
endif()
