#include "Main.h"

#include "Form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    Form1 form;
    // The start-up found no word processor, told the user and ended the program.
    if (ProgramEnding())
        return 0;
    form.show();
    return app.exec();
}
