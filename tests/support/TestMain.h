#pragma once

#include <QByteArray>
#include <QTest>
#include <QtGlobal>

/// What every test program relies on, set before anything reads it, so that a test run straight from
/// the shell gives what CTest gives: United States settings, whatever the user's own are (Qt reads the
/// system settings from these variables and needs no locale installed for them), and no display
/// unless the environment asks for a platform itself.
namespace TestEnvironment {
inline void pin()
{
    qputenv("LC_ALL", QByteArrayLiteral("en_US.UTF-8"));
    qputenv("LANG", QByteArrayLiteral("en_US.UTF-8"));
    qunsetenv("LANGUAGE");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", QByteArrayLiteral("qt.qpa.*=false"));
}
} // namespace TestEnvironment

/// QTEST_MAIN, QTEST_GUILESS_MAIN and QTEST_APPLESS_MAIN with the test environment pinned first.
#define PARVOLINE_TEST_MAIN(TestObject) QTEST_MAIN_WRAPPER(TestObject, TestEnvironment::pin(); QTEST_MAIN_SETUP())
#define PARVOLINE_TEST_GUILESS_MAIN(TestObject)                                                                        \
    QTEST_MAIN_WRAPPER(TestObject, TestEnvironment::pin(); QTEST_QAPP_SETUP(QCoreApplication))
#define PARVOLINE_TEST_APPLESS_MAIN(TestObject) QTEST_MAIN_WRAPPER(TestObject, TestEnvironment::pin();)
