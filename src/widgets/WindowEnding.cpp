#include "WindowEnding.h"

#include "ProgramEnd.h"

#include <QApplication>
#include <QWidget>

namespace {
void closeAll()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        // Dialogs end with the event loops that run them; tips and menus are no windows of the program.
        if (window->windowType() == Qt::Window)
            window->close();
    }
}

void hideAll()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        window->hide();
}
} // namespace

void InstallWindowEnding()
{
    SetWindowEnding({closeAll, hideAll});
}
