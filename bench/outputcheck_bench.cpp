// Measures the checks that a file the office hands back is whole, on files of a 10,000-receipt run:
// a PDF of 5,000 pages of receipt text (or PDF, .docx and .odt files named on the command line, as
// the office wrote them). Target: a few hundred milliseconds for the 10,000 receipts' PDF.
//
//     outputcheck_bench [rounds] [file...]

#include "PackageFile.h"
#include "PdfFile.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr int kPages = 5000;

// Two receipts a page, each a table's worth of text, as a run of 10,000 receipts prints them.
QByteArray receiptsPdf()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    const int line = writer.height() / 60;
    for (int page = 0; page < kPages; ++page) {
        if (page > 0)
            writer.newPage();
        for (int half = 0; half < 2; ++half) {
            const int receipt = 2 * page + half + 1;
            const int top = half * writer.height() / 2;
            const QStringList lines{
                QStringLiteral("Harbor Lights Bakery    No. %1").arg(receipt),
                QStringLiteral("Payee Name: Rosa Delgado   Payer Name: Northwind Traders"),
                QStringLiteral("Address: 12 Pier Road   Address: 400 Market Street"),
                QStringLiteral("City, ST  ZIP Code: Portland, ME 04101"),
                QStringLiteral("Date  Description  Amount"),
                QStringLiteral("12/08/2026  Wedding cake & candles  %1.00").arg(100 + receipt % 900),
                QStringLiteral("Subtotal %1.00  Tax 8.25  Total %2.25")
                    .arg(100 + receipt % 900)
                    .arg(108 + receipt % 900),
            };
            for (int i = 0; i < lines.size(); ++i)
                painter.drawText(0, top + (i + 1) * line, lines[i]);
            painter.drawRect(0, top, writer.width() - 1, 9 * line);
        }
    }
    painter.end();
    return buffer.data();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measure(const QString &name, const QByteArray &bytes, int rounds, const std::function<QString()> &check)
{
    std::vector<double> times;
    QString problem;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        problem = check();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("%-40s %9.1f MB  min %7.1f ms  median %7.1f ms  %s\n", qPrintable(name), bytes.size() / 1e6,
                *std::min_element(times.begin(), times.end()), median(times),
                problem.isEmpty() ? "whole" : qPrintable(problem));
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    const int rounds = arguments.isEmpty() ? 5 : qMax(1, arguments.first().toInt());

    if (arguments.size() < 2) {
        const QByteArray pdf = receiptsPdf();
        measure(QStringLiteral("%1 pages of receipts (.pdf)").arg(kPages), pdf, rounds,
                [&] { return PdfFile::problem(pdf); });
    }
    for (const QString &path : arguments.mid(1)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        const QString name = QFileInfo(path).fileName();
        if (path.endsWith(QLatin1String(".pdf"))) {
            measure(name, bytes, rounds, [&] { return PdfFile::problem(bytes); });
        } else {
            const QStringList required{path.endsWith(QLatin1String(".odt")) ? QStringLiteral("content.xml")
                                                                            : QStringLiteral("word/document.xml")};
            measure(name, bytes, rounds, [&] { return PackageFile::problem(bytes, required); });
        }
    }
    return 0;
}
