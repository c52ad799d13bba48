#pragma once

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

/// A temporary folder of a test's own that the program takes for its TEMP while this object lives, so
/// that what a run leaves there is the test's to see and nothing of it reaches the real one.
class RunTempFolder final
{
public:
    RunTempFolder()
    {
        if (mDir.isValid())
            qputenv("TEMP", QFile::encodeName(mDir.path()));
    }
    ~RunTempFolder() { qunsetenv("TEMP"); }
    RunTempFolder(const RunTempFolder &) = delete;
    RunTempFolder &operator=(const RunTempFolder &) = delete;

    bool isValid() const { return mDir.isValid(); }
    QString path() const { return mDir.path(); }
    QString filePath(const QString &name) const { return mDir.filePath(name); }

private:
    QTemporaryDir mDir;
};
