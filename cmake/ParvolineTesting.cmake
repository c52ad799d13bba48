# Test code is compiled without optimisation, and with one precompiled header of Qt and Qt Test that every
# piece of it shares: parsing Qt's headers was more than half of each test's compile. The compiler takes a
# shared header only where the macros it saw are defined alike, so all test code links the same Qt modules
# (their QT_*_LIB macros), and Qt Test's QFINDTESTDATA folders, which differ from folder to folder and which
# no test uses, are left out. -Winvalid-pch turns a header that stopped fitting into a build error rather
# than a silently slow build.
get_target_property(_qt_test_definitions Qt6::Test INTERFACE_COMPILE_DEFINITIONS)
list(FILTER _qt_test_definitions EXCLUDE REGEX "^QT_TESTCASE_")
set_target_properties(Qt6::Test PROPERTIES INTERFACE_COMPILE_DEFINITIONS "${_qt_test_definitions}")

add_library(parvoline_test_policy INTERFACE)
target_compile_options(parvoline_test_policy INTERFACE -O0 -Winvalid-pch)
target_link_libraries(parvoline_test_policy INTERFACE parvoline_policy Qt6::Test Qt6::Widgets Qt6::PrintSupport
                                                      Qt6::Pdf)
# Seventy test programs are linked in every fresh build; lld links each in a fraction of the time.
find_program(PARVOLINE_LLD ld.lld)
if(PARVOLINE_LLD)
    target_link_options(parvoline_test_policy INTERFACE -fuse-ld=lld)
endif()

file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/tests/parvoline_test_headers.cpp
     CONTENT "// Compiles the precompiled header that all test code shares.\n")
add_library(parvoline_test_headers OBJECT ${PROJECT_BINARY_DIR}/tests/parvoline_test_headers.cpp)
target_link_libraries(parvoline_test_headers PRIVATE parvoline_test_policy)
target_precompile_headers(parvoline_test_headers PRIVATE
    <QTest> <QSignalSpy> <QTemporaryDir> <QFile> <QDir> <QFileInfo> <QBuffer> <QProcess>
    <QApplication> <QPushButton> <QLineEdit> <QTreeView> <memory> <functional>)

# parvoline_test_code(<target>): compiles a test program, helper or test library as test code.
function(parvoline_test_code target)
    target_link_libraries(${target} PRIVATE parvoline_test_policy)
    target_precompile_headers(${target} REUSE_FROM parvoline_test_headers)
    # What moc writes for a test is compiled in a moment on its own; loading the header would take longer.
    get_target_property(binary_dir ${target} BINARY_DIR)
    set_source_files_properties(${binary_dir}/${target}_autogen/mocs_compilation.cpp TARGET_DIRECTORY ${target}
                                PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
endfunction()

# parvoline_add_test(<name> SOURCES <files...> LIBRARIES <targets...> [LABELS <labels...>] [TIMEOUT <s>]
#                    [SECONDS <s>])
#
# One Qt Test executable per test class. Every test runs without a display and with
# United States settings, so number and date texts are the same on every machine. The test
# program sets them itself (PARVOLINE_TEST_MAIN and its kin in tests/support/TestMain.h), so it
# gives the same result run straight from the shell; CTest sets them as well. SECONDS, about what a
# long test takes, makes CTest start it first, so that a parallel run on a fresh machine, which has no
# timings of its own yet, does not end waiting for it.
function(parvoline_add_test name)
    cmake_parse_arguments(arg "" "TIMEOUT;SECONDS" "SOURCES;LIBRARIES;LABELS" ${ARGN})
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
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
    parvoline_test_code(${name})
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
    if(arg_SECONDS)
        set_tests_properties(${name} PROPERTIES COST ${arg_SECONDS})
    endif()
endfunction()
