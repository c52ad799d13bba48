#pragma once

// How the program's windows look: their icon, the optional skin and the button-face colouring.

class QColor;
class QIcon;
class QWidget;

/// The windows' icon: the installed one of the icon theme, so windows and menu entry match, else the
/// one built into the program (run from the build folder).
QIcon ProgramIcon();

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
