# Building against LibreOffice's UNO runtime.
#
# The SDK package ships only the base runtime headers; the office API headers (com/sun/star/...)
# are generated here from the office's type libraries with cppumaker, into the build tree.
# Defines:
#   parvoline_uno          INTERFACE target: headers (SYSTEM, so our own warnings stay strict),
#                          the UNO C++ environment definitions and the runtime libraries
#   LIBREOFFICE_PROGRAM_DIR the office's program folder, which holds the runtime libraries; every
#                          executable built after this file is included finds them there
#   parvoline_uno_headers  the generation step, a dependency of everything that includes them
#   PARVOLINE_SOFFICE      the office launcher, used to build the receipt template

set(LIBREOFFICE_ROOT "/usr/lib/libreoffice" CACHE PATH "LibreOffice installation folder")
set(LIBREOFFICE_PROGRAM_DIR "${LIBREOFFICE_ROOT}/program")
set(LIBREOFFICE_SDK_DIR "${LIBREOFFICE_ROOT}/sdk")

find_program(LIBREOFFICE_CPPUMAKER cppumaker HINTS "${LIBREOFFICE_SDK_DIR}/bin" NO_DEFAULT_PATH REQUIRED)
find_program(PARVOLINE_SOFFICE soffice HINTS "${LIBREOFFICE_PROGRAM_DIR}" REQUIRED)

set(_uno_types "${LIBREOFFICE_PROGRAM_DIR}/types.rdb" "${LIBREOFFICE_PROGRAM_DIR}/types/offapi.rdb")
foreach(_rdb IN LISTS _uno_types)
    if(NOT EXISTS "${_rdb}")
        message(FATAL_ERROR "LibreOffice type library not found: ${_rdb} (install libreoffice-dev and the office)")
    endif()
endforeach()

foreach(_lib uno_cppuhelpergcc3 uno_cppu uno_salhelpergcc3 uno_sal)
    if(NOT EXISTS "${LIBREOFFICE_SDK_DIR}/lib/lib${_lib}.so")
        message(FATAL_ERROR "LibreOffice SDK library not found: lib${_lib}.so (install libreoffice-dev)")
    endif()
endforeach()

set(PARVOLINE_UNO_INCLUDE_DIR "${CMAKE_BINARY_DIR}/uno-inc")
set(_uno_stamp "${PARVOLINE_UNO_INCLUDE_DIR}/.generated")
# -Gc rewrites only headers whose content changed, so a rebuild does not recompile the backend.
add_custom_command(
    OUTPUT "${_uno_stamp}"
    COMMAND "${LIBREOFFICE_CPPUMAKER}" -Gc "-O${PARVOLINE_UNO_INCLUDE_DIR}" ${_uno_types}
    COMMAND "${CMAKE_COMMAND}" -E touch "${_uno_stamp}"
    DEPENDS ${_uno_types}
    COMMENT "Generating the LibreOffice API headers"
    VERBATIM)
add_custom_target(parvoline_uno_headers DEPENDS "${_uno_stamp}")

add_library(parvoline_uno INTERFACE)
target_include_directories(parvoline_uno SYSTEM INTERFACE "${LIBREOFFICE_SDK_DIR}/include"
                                                          "${PARVOLINE_UNO_INCLUDE_DIR}")
target_compile_definitions(parvoline_uno INTERFACE CPPU_ENV=gcc3 LINUX UNX)
target_link_libraries(parvoline_uno INTERFACE
    "${LIBREOFFICE_SDK_DIR}/lib/libuno_cppuhelpergcc3.so"
    "${LIBREOFFICE_SDK_DIR}/lib/libuno_cppu.so"
    "${LIBREOFFICE_SDK_DIR}/lib/libuno_salhelpergcc3.so"
    "${LIBREOFFICE_SDK_DIR}/lib/libuno_sal.so")
# The runtime libraries (and the office's own libraries that they load) live in the office's program
# folder, which the loader does not search by itself. A run-time search path given as a property, not as
# a linker flag, is one that CMake knows: the install step replaces it instead of keeping it beside the
# installed path (see cmake/Packaging.cmake).
list(APPEND CMAKE_BUILD_RPATH "${LIBREOFFICE_PROGRAM_DIR}")
add_dependencies(parvoline_uno parvoline_uno_headers)
