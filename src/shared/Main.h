#pragma once

#include <QString>

class QByteArray;
class QColor;
class QIcon;
class QUrl;
class QWidget;

/// The product name: window captions and the source of the application title.
inline constexpr char kProductName[] = "Parvoline";

/// The program's desktop id: the name of its desktop entry and of its icon in the icon theme.
inline constexpr char kApplicationId[] = PARVOLINE_APPLICATION_ID;

/// The windows' icon: the installed one of the icon theme, so windows and menu entry match, else the
/// one built into the program (run from the build folder).
QIcon ProgramIcon();

/// The maker's pages: the home page opened now and then at start-up, the contact page named by "Help".
QUrl HomePageUrl();
QUrl ContactPageUrl();

/// True when the file system can tell the last-modified time of \a path. Never throws.
bool FileExists(const QString &path);

/// Writes \a content as the whole of a new file at \a path, unless the path exists already.
/// Lets pending window events run first. Throws Failure when the file cannot be written, and
/// then leaves no partial file behind.
void WriteFileIfMissing(const QByteArray &content, const QString &path);

/// The permissions of the files only the program itself reads: the template and the page picture.
inline constexpr unsigned kPrivateFilePermissions = 0600;

/// True when \a path is a regular file of the user's own, writable by nobody else, that holds
/// exactly \a content. A link there is never followed. Never throws.
bool HoldsOwnFile(const QByteArray &content, const QString &path);

/// Makes \a path a file that the program can trust to hold \a content: one that already passes
/// HoldsOwnFile() is left as it is; anything else of that name (other bytes, someone else's file, a
/// link) is replaced by a new file readable by the user only. Lets pending window events run first.
/// Throws Failure when the file cannot be written; what was there then stays.
void EnsureOwnFile(const QByteArray &content, const QString &path);

/// Writes \a content as a new file at \a path, readable by the user only. Whatever entry has that
/// name is removed first (a link itself, never what it points to), and the file is created
/// exclusively: something that appears there meanwhile fails the write. Throws Failure.
void WriteFileAfresh(const QByteArray &content, const QString &path);

/// Removes the file at \a path if it can, read-only files included. Lets pending window events
/// run first. Never throws and never reports.
void DeleteFileQuietly(const QString &path);

/// Removes the file at \a path even when it is read-only; a link is removed itself, and what it
/// points to is never touched. Throws Failure when it stays.
void ForceDeleteFile(const QString &path);

/// The skin file's path relative to the program folder.
inline constexpr char kSkinFileName[] = "x/o.cjs";

/// When the skin file is in the program folder: recolours \a mainWindow, its frames, labels and
/// picture boxes to the button-face colour and applies the skin (a Qt style sheet) to it. Without
/// the file it does nothing. Throws Failure when the skin cannot be read.
void ApplyMainWindowSkin(QWidget *mainWindow);

/// Recolours \a window and its frames and labels to the button-face colour.
void ApplyWindowColors(QWidget *window);

/// Gives \a widget a plain background of \a colour (white in the windows' design).
void SetBackground(QWidget *widget, const QColor &colour);

/// Sets the application title from the product name.
void SetApplicationTitle();
/// The caption of every message box that names none of its own.
QString ApplicationTitle();
/// The title made from a product name: cut back at its last blank once, then while longer than
/// 40 characters. A name of one word stays as it is.
QString ShortenedTitle(const QString &productName);

/// The folder that holds the program, without a trailing separator.
QString ProgramFolder();
/// Lets tests put the program's optional files (cursor, skin) in a folder of their own; an empty
/// path restores the real folder.
void OverrideProgramFolder(const QString &folder);

/// The folder for the run's files: TEMP when set, otherwise a folder only this user can use.
/// Throws Failure when no such folder can be made safe.
QString TempFolder();
/// A file in the temporary folder.
QString TempFile(const QString &name);

/// On one start in a hundred, opens the maker's home page.
void OpenHomePageAtRandom();
/// Opens the home page when \a draw (1 to 100) is the lucky number.
void OpenHomePageIfDrawn(int draw);

/// Ends the program at once: every window goes away without its closing handlers, and the event
/// loop (or, before it runs, start-up) ends. Resources such as the word processor are released as main() returns.
void EndProgram();
/// True once EndProgram was called; start-up checks it before showing the first window.
bool ProgramEnding();
