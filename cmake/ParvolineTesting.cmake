# parvoline_add_test(<name> SOURCES <files...> LIBRARIES <targets...> [LABELS <labels...>] [TIMEOUT <s>])
#
# One Qt Test executable per test class. Every test runs without a display and with
# United States settings, so number and date texts are the same on every machine. The test
# program sets them itself (PARVOLINE_TEST_MAIN and its kin in tests/support/TestMain.h), so it
# gives the same result run straight from the shell; CTest sets them as well.
function(parvoline_add_test name)
    cmake_parse_arguments(arg "" "TIMEOUT" "SOURCES;LIBRARIES;LABELS" ${ARGN})
    set(has_main FALSE)
    foreach(source ${arg_SOURCES})
        file(READ ${CMAKE_CURRENT_SOURCE_DIR}/${source} content)
        if(content MATCHES "PARVOLINE_TEST_(MAIN|GUILESS_MAIN|APPLESS_MAIN|MAIN_ON_SCREEN)\\(")
            set(has_main TRUE)
        endif()
    endforeach()
    if(NOT has_main)
        message(FATAL_ERROR "${name}: use PARVOLINE_TEST_MAIN (or _GUILESS_MAIN, _APPLESS_MAIN) from "
                            "tests/support/TestMain.h instead of QTEST_MAIN, so the test sets its own locale")
    endif()
    add_executable(${name} ${arg_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} Qt6::Test parvoline_policy)
    add_test(NAME ${name} COMMAND ${name})
    if(NOT arg_TIMEOUT)
        set(arg_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${arg_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=en_US.UTF-8;LANG=en_US.UTF-8;QT_LOGGING_RULES=qt.qpa.*=false")
    if(arg_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${arg_LABELS}")
    endif()
endfunction()
