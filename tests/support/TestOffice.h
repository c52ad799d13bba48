#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

class LibreOfficeEngine;

/// The office of a test program: the LibreOffice engine on a profile folder of its own, installed for
/// CreateWordApplication(), so that a test never shares an office or a profile with the user or with
/// another test. Stopped when destroyed.
class TestOffice final
{
public:
    TestOffice();
    ~TestOffice();
    TestOffice(const TestOffice &) = delete;
    TestOffice &operator=(const TestOffice &) = delete;

    /// Starts the engine on \a profileFolder, or on a temporary folder of its own when that is empty.
    /// False when no folder could be made.
    bool install(const QString &profileFolder = QString());
    /// Removes the engine from CreateWordApplication() and ends its office.
    void shutdown();

    LibreOfficeEngine &engine() { return *mEngine; }
    /// The profile folder of its own that install() gave the engine.
    QString profileFolder() const { return mProfile.path(); }

private:
    QTemporaryDir mProfile;
    std::unique_ptr<LibreOfficeEngine> mEngine;
};
