#include "DialogMemory.h"
#include "Failure.h"
#include "Form2.h"
#include "GuardedProcedure.h"
#include "Locations.h"
#include "PrintPages.h"
#include "SaveCopy.h"
#include "UserDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QPrinter>

namespace {
const QString kPrintToFile = QStringLiteral("PDF");
const QString kPrintToPrinter = QStringLiteral("Printer");
const QString kPrintTypes = kPrintToFile + QStringLiteral(";;") + kPrintToPrinter;
} // namespace

void Form2::PrintDocument()
{
    if (mBusy)
        return;
    GuardedProcedure proc(Location::Form2_PrintDocument);
    int pageCount = 0;
    if (!proc.step(100, [&] {
            if (mPagePicture.isNull())
                throw Failure(QStringLiteral("There is no page to print"));
            pageCount = mPagePicture.pageCount();
        }))
        return;
    QPrinter printer(QPrinter::HighResolution);
    proc.step(102, [&] { MatchPrinterToPages(mPagePicture, printer); });
    // After a print to a file the dialog offers a file again, in the folder of the last one.
    const DialogMemory memory(QString::fromLatin1(DialogMemory::kPrintName));
    printer.setDocName(QStringLiteral("receipts"));
    if (memory.type(kPrintTypes) == kPrintToFile)
        printer.setOutputFileName(QDir(memory.folder()).filePath(QStringLiteral("receipts.pdf")));
    bool accepted = false;
    proc.assign(104, accepted, [&] { return UserDialogs::current().print(this, printer, pageCount); });
    if (!accepted)
        return;
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        memory.remember(printer.outputFileName(), kPrintToFile);
    else
        memory.rememberType(kPrintToPrinter);

    proc.step(106, [&] { whileBusy([&] { printTo(printer, pageCount); }); });
}

void Form2::printTo(QPrinter &printer, int pageCount)
{
    if (printer.outputFormat() != QPrinter::PdfFormat) {
        PrintPages(mPagePicture, printer, [] { QCoreApplication::processEvents(); });
        return;
    }
    // A PDF file keeps the pages as the word processor lays them out: text stays text, and the file
    // is written whole or not at all.
    if (printer.outputFileName().isEmpty())
        throw Failure(QStringLiteral("No file was named to print to"));
    int from = 0;
    int to = 0;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage();
        to = printer.toPage() > 0 ? std::min(printer.toPage(), pageCount) : pageCount;
        if (from > to)
            throw Failure(QStringLiteral("The document has no page %1; it has %2").arg(from).arg(pageCount));
    }
    ExportDocumentPages(mWordFile, printer.outputFileName(), from, to);
}
