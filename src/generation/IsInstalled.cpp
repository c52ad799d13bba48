#include "IsInstalled.h"

#include "GuardedProcedure.h"
#include "ProgramEnd.h"
#include "UserDialogs.h"
#include "WordAutomation.h"

#include <QString>

#include <cstdio>

QString WordMissingMessage()
{
    return QStringLiteral(
        "Error 842001. A normal instance of Word could not be created.\r\n\r\n"
        "1. Please make sure Word is installed on this computer.\r\n\r\n"
        "2. Please open Word normally and make sure a blank document opens immediately without any interrupting "
        "window (such as an Word file recovery window).\r\n\r\n"
        "3. Please make sure that when you double-click on a DOC or DOCX file that Word opens normally without any "
        "interrupting messages.\r\n\r\n"
        "4. All versions of Word are supported by this software except for the rare Word Starter and Student "
        "editions.");
}

void CheckWordInstalled()
{
    std::unique_ptr<WordApplication> word;
    QString reason;
    try {
        word = CreateWordApplication();
    } catch (...) {
        reason = DescribeException(std::current_exception());
    }

    if (!word) {
        // The message speaks of Word; say what really failed where an administrator can see it.
        std::fprintf(stderr, "parvoline: the word processor could not be started: %s\n", qUtf8Printable(reason));
        std::fflush(stderr);
        MsgBox(WordMissingMessage());
        EndProgram();
        return;
    }

    try {
        word->Quit();
    } catch (...) {
        // A failing quit goes unnoticed; the office stays warm for the first generation.
    }
}
