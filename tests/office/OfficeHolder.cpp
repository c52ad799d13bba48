// A program that starts its office and then waits to be killed, so that a test can see what becomes
// of the office when its program is gone without any chance to clean up.
//
//     office_holder <profile folder>
//
// Prints one line, "office <pid>... folder <private folder>", once the office answers.

#include "LibreOfficeEngine.h"
#include "WordAutomation.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    LibreOfficeEngine::Settings settings;
    settings.profileFolder = QString::fromLocal8Bit(argv[1]);
    LibreOfficeEngine engine(settings);
    try {
        const std::unique_ptr<WordApplication> word = engine.createApplication();
        QByteArray line = "office";
        for (qint64 pid : engine.officeProcessIds())
            line += ' ' + QByteArray::number(pid);
        line += " folder " + engine.officeTemporaryFolder().toLocal8Bit() + '\n';
        std::fputs(line.constData(), stdout);
        std::fflush(stdout);
        for (;;)
            ::pause();
    } catch (const AutomationError &error) {
        std::fprintf(stderr, "office_holder: %s\n", qUtf8Printable(error.description()));
        return 1;
    }
}
