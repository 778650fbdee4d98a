# Releases: what every build of a deliverable carries (version resource,
# reproducible bytes, hardening) and the README of the Windows package.
# Included from the top CMakeLists.txt before the tools; each deliverable's
# own version resource and install rules come with its declaration
# (orvi_deliverable, cmake/deliverable.cmake).
# The version is the project's (project() in the top CMakeLists.txt), the one
# place to change it; the registry key's configuration version is its
# major.minor (liborvi).

# Reproducible bytes: the same commit built in any two directories gives the
# same deliverables. No build path in the objects (__FILE__, debug info), and
# no link time stamp in the PE header (nor the checksum that covers it). The
# sanitizer build keeps its real paths, for its reports and debuggers.
if(NOT ORVI_SANITIZE)
    add_compile_options(
        "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
        "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")
endif()

# Hardened native programs, with the flags Debian builds its packages with
# (dpkg-buildflags, hardening=+all): checked buffer functions, a stack
# protector, format strings checked, relocations read-only and bound at start
# (full RELRO), position-independent executables. They are stated here rather
# than asked of dpkg-buildflags at configure time: the build then needs no dpkg
# and gives the same programs wherever it runs, whatever a machine's dpkg
# configuration or environment would add. The checked functions need an
# optimised build. Not for the sanitizer build (its own instrumentation, no
# optimisation), nor for Windows, whose linker marks the programs for ASLR and
# DEP by itself.
if(NOT WIN32 AND NOT ORVI_SANITIZE)
    include(CheckPIESupported)
    check_pie_supported()
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
    add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
    add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
if(WIN32)
    add_link_options(LINKER:--no-insert-timestamp)
    enable_language(RC)
endif()

# orvi_version_resource(target file description): gives a Windows deliverable
# its VERSIONINFO resource from cmake/version.rc.in. The resource is compiled
# in an object library of its own, since windres takes none of the compiler
# options that the targets carry.
function(orvi_version_resource target file description)
    get_filename_component(ORVI_RC_INTERNAL_NAME ${file} NAME_WE)
    set(ORVI_RC_FILE ${file})
    set(ORVI_RC_DESCRIPTION ${description})
    if(file MATCHES "\\.dll$")
        set(ORVI_RC_FILETYPE VFT_DLL)
    else()
        set(ORVI_RC_FILETYPE VFT_APP)
    endif()
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
    add_library(${target}_version OBJECT ${rc})
    target_link_libraries(${target} PRIVATE ${target}_version)
endfunction()

# The README as a CR LF text file at the top of the Windows package.
if(WIN32)
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY
                 CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/README.md)
    file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
    string(REPLACE "\n" "\r\n" readme "${readme}")
    file(WRITE ${PROJECT_BINARY_DIR}/README.txt "${readme}")
    install(FILES ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)
endif()
