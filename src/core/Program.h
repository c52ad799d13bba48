#pragma once

#include <QString>

class QUrl;

/// The product name: window captions and the source of the application title.
inline constexpr char kProductName[] = "Parvoline";

/// The program's desktop id: the name of its desktop entry and of its icon in the icon theme.
inline constexpr char kApplicationId[] = PARVOLINE_APPLICATION_ID;

/// The maker's pages: the home page opened now and then at start-up, the contact page named by "Help".
QUrl HomePageUrl();
QUrl ContactPageUrl();

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
