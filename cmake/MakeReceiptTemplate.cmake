# Converts the receipt template's flat OpenDocument source into the Word 97-2003 template.
#   cmake -DSOFFICE=<soffice> -DSOURCE=<receipt.fodt> -DOUTPUT=<template.dot> -DWORK_DIR=<dir> [-DPAPER=A4] -P MakeReceiptTemplate.cmake
# The source is laid out on US Letter; with PAPER=A4 the page becomes A4 with the table as it is and the
# same margins, except that the side margins give the 6-inch table the room that A4's narrower page
# takes away (1.1 instead of 1.25 inches): a table wider than the text area would stick out of it, and
# the preview, which shows the text area, would cut its edges off.
# The office runs with a profile and temporary folder of its own under WORK_DIR, so it never meets
# the user's office. Its converter reports success even when it wrote nothing, so the result is
# checked here and the build fails loudly without it.

foreach(var SOFFICE SOURCE OUTPUT WORK_DIR)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "MakeReceiptTemplate: ${var} is not set")
    endif()
endforeach()

set(_out_dir "${WORK_DIR}/out")
file(MAKE_DIRECTORY "${WORK_DIR}")
if(DEFINED PAPER AND PAPER STREQUAL "A4")
    file(READ "${SOURCE}" _text)
    set(_letter [[style:name="Letter">
      <style:page-layout-properties fo:page-width="8.5in" fo:page-height="11in"]])
    set(_a4 [[style:name="A4">
      <style:page-layout-properties fo:page-width="21cm" fo:page-height="29.7cm"]])
    string(FIND "${_text}" "${_letter}" _at)
    if(_at LESS 0)
        message(FATAL_ERROR "MakeReceiptTemplate: the Letter page layout of ${SOURCE} was not found")
    endif()
    string(REPLACE "${_letter}" "${_a4}" _text "${_text}")
    string(REPLACE [[style:page-layout-name="Letter"]] [[style:page-layout-name="A4"]] _text "${_text}")
    foreach(_side left right)
        string(FIND "${_text}" "fo:margin-${_side}=\"1.25in\"" _at)
        if(_at LESS 0)
            message(FATAL_ERROR "MakeReceiptTemplate: the page's ${_side} margin of ${SOURCE} was not found")
        endif()
        string(REPLACE "fo:margin-${_side}=\"1.25in\"" "fo:margin-${_side}=\"1.1in\"" _text "${_text}")
    endforeach()
    get_filename_component(_name "${SOURCE}" NAME_WE)
    set(_name "${_name}-a4")
    set(SOURCE "${WORK_DIR}/${_name}.fodt")
    file(WRITE "${SOURCE}" "${_text}")
elseif(DEFINED PAPER AND NOT PAPER STREQUAL "Letter")
    message(FATAL_ERROR "MakeReceiptTemplate: PAPER is Letter or A4, not ${PAPER}")
endif()
get_filename_component(_name "${SOURCE}" NAME_WE)
set(_converted "${_out_dir}/${_name}.dot")
set(_profile "${WORK_DIR}/profile")
set(_tmp "${WORK_DIR}/tmp")
file(REMOVE_RECURSE "${_out_dir}" "${_tmp}")
file(MAKE_DIRECTORY "${_out_dir}" "${_tmp}" "${_profile}")
file(REMOVE "${OUTPUT}")

execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env --unset=URE_BOOTSTRAP "TMPDIR=${_tmp}"
            "${SOFFICE}" --headless --invisible --nologo --norestore --nodefault
            "-env:UserInstallation=file://${_profile}"
            --convert-to "dot:MS Word 97 Vorlage" --outdir "${_out_dir}" "${SOURCE}"
    RESULT_VARIABLE _result
    OUTPUT_VARIABLE _output
    ERROR_VARIABLE _output
    TIMEOUT 180)

if(NOT _result EQUAL 0 OR NOT EXISTS "${_converted}")
    message(FATAL_ERROR "The receipt template was not converted (soffice: ${_result}).\n${_output}")
endif()
file(SIZE "${_converted}" _size)
file(READ "${_converted}" _magic LIMIT 4 HEX)
if(_size LESS 1024 OR NOT _magic STREQUAL "d0cf11e0")
    message(FATAL_ERROR "The converted receipt template is not a Word 97-2003 file (${_size} bytes, starts ${_magic}).")
endif()
file(RENAME "${_converted}" "${OUTPUT}")
file(REMOVE_RECURSE "${_tmp}")
