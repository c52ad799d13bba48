// Measures the receipt list to and from CSV for 10,000 rows: reading and checking the file's bytes,
// appending the rows to the main window's list (with the list view shown and laid out), the whole
// import from a file in the window, and the export. Target: the whole import under 1 s.
//
//     csv_bench [rounds] [rows]

#include "BenchSupport.h"
#include "Form1.h"
#include "ReceiptCsv.h"
#include "ReceiptList.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
void print(const char *what, const Figures &figures)
{
    std::printf("%-52s min %8.2f ms   median %8.2f ms\n", what, figures.min, figures.median);
    std::fflush(stdout);
}

// Rows like a spreadsheet writes them: some values quoted for their commas, quotes and line breaks.
QByteArray sampleCsv(int rows)
{
    QByteArray csv = "\xef\xbb\xbfReceipt,No,From Payee,From Address,From City,To Payee,To Address,To City,Date,"
                     "Description,Amount,Tax\r\n";
    for (int i = 0; i < rows; ++i) {
        csv += "Harbor Lights Bakery,2021-" + QByteArray::number(i)
               + ",\"Orrick, Selma\",Birchwood st,"
                 "\"French Leek, IN 33455\",Dorian Quell Jr.,\"Elm Street\nApt "
               + QByteArray::number(i % 90) + "\",\"Holderness, NH 03245\",08/30/2021,\"A \"\"tree\"\" house, phase "
               + QByteArray::number(i % 7) + "\"," + QByteArray::number(70 + i % 1000) + ".50,8.25\r\n";
    }
    return csv;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    const int rows = argc > 2 ? std::max(1, atoi(argv[2])) : 10000;

    const IdleWindowSetUp idle;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("receipts.csv"));
    const QByteArray csv = sampleCsv(rows);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(csv) != csv.size())
            return 1;
    }
    std::printf("%d rows, %.1f MB, %d rounds\n", rows, double(csv.size()) / 1e6, rounds);

    ReceiptCsv::Import parsed;
    print("read and check the bytes", measure(
                                          rounds, [] {}, [&] { parsed = ReceiptCsv::parse(csv); }));
    if (!parsed.error.isEmpty() || parsed.records.size() != rows || !parsed.rejected.isEmpty()) {
        std::fprintf(stderr, "unexpected result: %s, %lld records, %lld rejected\n", qPrintable(parsed.error),
                     static_cast<long long>(parsed.records.size()), static_cast<long long>(parsed.rejected.size()));
        return 1;
    }

    Form1 form;
    form.show();
    QCoreApplication::processEvents();
    ReceiptList *list = form.receipts();
    auto *view = form.findChild<QTreeView *>(QStringLiteral("ListView2"));
    auto settle = [&] {
        // What the user sees next: the view laid out and painted with the new rows.
        QCoreApplication::processEvents();
        view->viewport()->repaint();
    };
    auto empty = [&] {
        list->clear();
        settle();
    };

    print("append to the shown list", measure(rounds, empty, [&] {
              list->appendRecords(parsed.records);
              settle();
          }));
    print("append to a list already holding 10,000 or more", measure(
                                                                 rounds, [&] { settle(); },
                                                                 [&] {
                                                                     list->appendRecords(parsed.records);
                                                                     settle();
                                                                 }));
    print("whole import in the window (file to painted list)", measure(rounds, empty, [&] {
              form.importReceiptsFrom(path);
              settle();
          }));
    if (list->count() != rows)
        return 1;

    const QString exported = folder.filePath(QStringLiteral("exported.csv"));
    print("whole export (list to synced file)",
          measure(
              rounds, [] {}, [&] { ReceiptCsv::writeFile(list->records(), exported); }));
    return 0;
}
