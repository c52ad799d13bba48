# Run by CPack on the files it is about to package: compresses each manual page as Debian's packages
# carry them, with gzip -9n (no name or time stamp, so the package's bytes do not depend on when it was made).

find_program(_gzip gzip REQUIRED)
file(GLOB_RECURSE _pages LIST_DIRECTORIES FALSE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man[1-9]/*.[1-9]")
if(NOT _pages)
    message(FATAL_ERROR "no manual page found under ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(_page IN LISTS _pages)
    execute_process(COMMAND "${_gzip}" -9nf "${_page}" RESULT_VARIABLE _result)
    if(NOT _result EQUAL 0)
        message(FATAL_ERROR "${_page} could not be compressed")
    endif()
endforeach()
