#pragma once

#include "LibreOfficeEngine.h"
#include "TestOffice.h"

#include <QString>
#include <QTemporaryDir>

/// The tests' own warm office: a profile folder and the receipt template in a temporary folder, the
/// engine installed for CreateWordApplication(). One per test program, shared by its cases.
class PrivateOffice final
{
public:
    /// Installs the engine and writes the template; false when the folder or the template could not be made.
    bool setUp();
    void shutdown() { mOffice.shutdown(); }

    LibreOfficeEngine &engine() { return mOffice.engine(); }
    /// The temporary folder that holds the profile and the template.
    QString path() const { return mDir.path(); }
    QString filePath(const QString &name) const { return mDir.filePath(name); }
    /// The receipt template, written out as a generation run writes it.
    QString templatePath() const { return mTemplate; }

private:
    QTemporaryDir mDir;
    TestOffice mOffice;
    QString mTemplate;
};
