#include "BatchCommand.h"
#include "Form1.h"
#include "LibreOfficeEngine.h"
#include "Program.h"
#include "ProgramEnd.h"
#include "ProgramFiles.h"
#include "QtUserDialogs.h"
#include "ReceiptKeeper.h"
#include "ReceiptList.h"
#include "RunLeftovers.h"
#include "WindowEnding.h"
#include "WordAutomation.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // With arguments the program is a command that makes a document without any window.
    if (argc > 1)
        return BatchCommand::main(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("parvoline"));
    // Lets the desktop match the windows with the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QLatin1String(kApplicationId));
    // Messages are message boxes from here on, and the program's end closes its windows.
    InstallWindowDialogs();
    InstallWindowEnding();

    // One warm office for the whole run; it goes when main() returns, however the program ends.
    LibreOfficeEngine engine;
    engine.install();
    // After the engine's guard: a request to end from outside ends the program as closing it does.
    InstallEndSignalHandlers();

    // What a killed run left behind goes now; this run's own files are watched from here on.
    try {
        RunLeftovers::start(TempFolder());
    } catch (...) {
        // Without a temporary folder no run can be made either; the run says so when it is tried.
    }

    Form1 form;
    // The start-up found no word processor, told the user and ended the program; or the program was
    // asked to end meanwhile.
    if (ProgramEnding() || ProgramEndRequested())
        return ProgramExitCode(0);
    // The list typed in an earlier session comes back, and this session's is kept until the next start;
    // the keeper goes before the window, writing what the last moments changed. The question comes
    // before the window: a window behind a question is not told when the window manager has framed
    // it, and could not find its place on a small screen.
    ReceiptKeeper keeper(form.receipts());
    keeper.start();
    if (ProgramEnding() || ProgramEndRequested())
        return ProgramExitCode(0);
    // A long list restored is usually made into a document next: the office that writes its Word file
    // starts while the user looks at the list.
    WordFileDeferral::expect(form.receipts()->count());
    form.show();
    return ProgramExitCode(app.exec());
}
