#include "QtUserDialogs.h"

#include "DialogMemory.h"
#include "ProgramEnd.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

namespace {
// Once the program is ending nobody is there to answer: a box would only flash up and vanish.
bool ending()
{
    return ProgramEnding() || ProgramEndRequested();
}
} // namespace

UserDialogs::Answer QtUserDialogs::message(const QString &title, const QString &text, Icon icon, Buttons buttons)
{
    if (ending())
        return messageToTerminal(title, text, buttons);
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                    buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    // Message texts end lines in CR LF or a lone CR; show a lone CR as a line break too.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    box.setTextFormat(Qt::PlainText);
    const int pressed = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return pressed == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

int QtUserDialogs::choose(const QString &title, const QString &text, Icon icon, const QStringList &buttons,
                          int defaultButton)
{
    if (ending())
        return -1;
    QMessageBox box(icon == Icon::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon, title, text,
                    QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton *> added;
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        // The default button accepts, the others are alternatives; Escape picks none of them.
        QPushButton *button =
            box.addButton(buttons.at(i), i == defaultButton ? QMessageBox::AcceptRole : QMessageBox::ActionRole);
        if (i == defaultButton)
            box.setDefaultButton(button);
        added.append(button);
    }
    box.exec();
    return int(added.indexOf(box.clickedButton()));
}

namespace {
// The type to choose at first: \a wanted when the filter lists it, else the first one.
QString firstType(const QString &filter, const QString *wanted)
{
    const QStringList types = filter.split(QStringLiteral(";;"));
    return wanted && types.contains(*wanted) ? *wanted : types.first();
}

QString startingPath(const QString &folder, const QString &fileName)
{
    if (folder.isEmpty())
        return fileName;
    return fileName.isEmpty() ? folder : QDir(folder).filePath(fileName);
}
} // namespace

QString QtUserDialogs::saveFileName(QWidget *parent, const QString &title, const QString &fileName,
                                    const QString &filter, QString *selectedFilter, const QString &folder)
{
    if (ending())
        return QString();
    QString chosen = firstType(filter, selectedFilter);
    // The program asks its own overwrite question after the dialog.
    const QString path = QFileDialog::getSaveFileName(parent, title, startingPath(folder, fileName), filter, &chosen,
                                                      QFileDialog::DontConfirmOverwrite);
    if (selectedFilter)
        *selectedFilter = chosen;
    return path;
}

QString QtUserDialogs::openFileName(QWidget *parent, const QString &title, const QString &filter, const QString &folder,
                                    QString *selectedFilter)
{
    if (ending())
        return QString();
    QString chosen = firstType(filter, selectedFilter);
    const QString path = QFileDialog::getOpenFileName(parent, title, folder, filter, &chosen);
    if (selectedFilter)
        *selectedFilter = chosen;
    return path;
}

bool QtUserDialogs::print(QWidget *parent, QPrinter &printer, int pageCount)
{
    if (ending())
        return false;
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange
                      | QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, qMax(1, pageCount));
    // Opened on a printer, Qt's dialog names a file in the working folder for "Print to File"; the
    // remembered folder (or the documents folder) is the one the user expects. Qt names that field
    // "filename"; without it the dialog keeps its own.
    if (printer.outputFileName().isEmpty()) {
        if (auto *field = dialog.findChild<QLineEdit *>(QStringLiteral("filename"))) {
            const QString name = printer.docName().isEmpty() ? QStringLiteral("print") : printer.docName();
            field->setText(QDir(DialogMemory(QString::fromLatin1(DialogMemory::kPrintName)).folder())
                               .filePath(name + QStringLiteral(".pdf")));
        }
    }
    return dialog.exec() == QDialog::Accepted;
}

void InstallWindowDialogs()
{
    static QtUserDialogs real;
    UserDialogs::setReal(&real);
}
