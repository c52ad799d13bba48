#include "Main.h"

#include "Form1.h"
#include "LibreOfficeEngine.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("parvoline"));

    // One warm office for the whole run; it goes when main() returns, however the program ends.
    LibreOfficeEngine engine;
    engine.install();

    Form1 form;
    // The start-up found no word processor, told the user and ended the program.
    if (ProgramEnding())
        return 0;
    form.show();
    return app.exec();
}
