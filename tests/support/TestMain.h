#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtGlobal>

/// What every test program relies on, set before anything reads it, so that a test run straight from
/// the shell gives what CTest gives: United States settings, whatever the user's own are (Qt reads the
/// system settings from these variables and needs no locale installed for them), no display unless
/// the environment asks for a platform itself, and a settings and data folder of the program's own.
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
    // Settings and kept receipts go to folders of the test's own, never the user's.
    static QTemporaryDir userFolders;
    if (!userFolders.isValid())
        qFatal("cannot make a temporary folder for the test's settings");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(userFolders.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(userFolders.filePath(QStringLiteral("data"))));
}

/// Pins the environment and gives the program one screen of \a width x \a height device-independent
/// pixels at \a ratio device pixels each, with window frames drawn around the windows (the offscreen
/// platform reads its screens from a file, which lives as long as the program).
inline void pinScreen(int width, int height, qreal ratio)
{
    pin();
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("screen.json"));
    QFile file(path);
    const QByteArray screen = QStringLiteral(R"({"synthesizedWindowFrames": true, "screens": [{"name": "test",)"
                                             R"( "x": 0, "y": 0, "width": %1, "height": %2, "logicalDpi": 96,)"
                                             R"( "logicalBpi": 96, "dpr": %3}]})")
                                  .arg(width)
                                  .arg(height)
                                  .arg(ratio)
                                  .toUtf8();
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(screen) != screen.size())
        qFatal("cannot write the test screen's description to %s", qPrintable(path));
    file.close();
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen:configfile=") + QFile::encodeName(path));
}
} // namespace TestEnvironment

/// QTEST_MAIN, QTEST_GUILESS_MAIN and QTEST_APPLESS_MAIN with the test environment pinned first.
#define PARVOLINE_TEST_MAIN(TestObject) QTEST_MAIN_WRAPPER(TestObject, TestEnvironment::pin(); QTEST_MAIN_SETUP())
#define PARVOLINE_TEST_GUILESS_MAIN(TestObject)                                                                        \
    QTEST_MAIN_WRAPPER(TestObject, TestEnvironment::pin(); QTEST_QAPP_SETUP(QCoreApplication))
#define PARVOLINE_TEST_APPLESS_MAIN(TestObject) QTEST_MAIN_WRAPPER(TestObject, TestEnvironment::pin();)
/// PARVOLINE_TEST_MAIN on a screen of the given size and device pixel ratio instead of the default one.
#define PARVOLINE_TEST_MAIN_ON_SCREEN(TestObject, width, height, ratio)                                                \
    QTEST_MAIN_WRAPPER(TestObject, TestEnvironment::pinScreen(width, height, ratio); QTEST_MAIN_SETUP())
