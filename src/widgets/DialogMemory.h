#pragma once

#include <QString>

/// What a file dialog of the windows remembers from one run to the next: the folder it was last left
/// in and the file type last chosen in it, kept in the settings under the dialog's \a name.
class DialogMemory final
{
public:
    /// The name under which the print dialog remembers where a print to a file went.
    static constexpr char kPrintName[] = "Print";

    explicit DialogMemory(const QString &name);

    /// The folder to open the dialog in: the one remembered while it still exists, else the user's
    /// documents folder (their home folder when there is none), never the program's working folder.
    QString folder() const;
    /// The file type to offer first: the one remembered when \a filter (types separated by ";;") still
    /// lists it, else an empty text (the dialog's first type).
    QString type(const QString &filter) const;
    /// Remembers the folder of \a chosenPath and, when given, the type chosen with it. An empty path
    /// (a cancelled dialog) changes nothing.
    void remember(const QString &chosenPath, const QString &chosenType = QString()) const;
    /// Remembers only the type, for a choice that names no file.
    void rememberType(const QString &chosenType) const;

    /// The user's documents folder, or their home folder when that does not exist.
    static QString documentsFolder();

private:
    QString mName;
};
