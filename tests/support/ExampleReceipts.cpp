#include "ExampleReceipts.h"

#include <QBuffer>
#include <QFile>
#include <QPdfDocument>
#include <QPdfSelection>

ReceiptRecord ExampleReceipt(int n)
{
    ReceiptRecord r;
    r[ReceiptRecord::Receipt] = QStringLiteral("Receipt %1").arg(n);
    r[ReceiptRecord::No] = QStringLiteral("2021-%1").arg(n, 4, 10, QLatin1Char('0'));
    r[ReceiptRecord::FromPayee] = QStringLiteral("Selma Orrick");
    r[ReceiptRecord::FromAddress] = QStringLiteral("Birchwood st");
    r[ReceiptRecord::FromCity] = QStringLiteral("French Leek, IN 33455");
    r[ReceiptRecord::ToPayee] = QStringLiteral("Dorian Quell Jr.");
    r[ReceiptRecord::ToAddress] = QStringLiteral("Elm Street");
    r[ReceiptRecord::ToCity] = QStringLiteral("Holderness, NH 03245");
    r[ReceiptRecord::Date] = QStringLiteral("08/30/2021");
    r[ReceiptRecord::Description] = QStringLiteral("Rent for month %1").arg(n);
    r[ReceiptRecord::Amount] = QString::number(100 + n);
    r[ReceiptRecord::Tax] = QStringLiteral("8.25");
    return r;
}

QByteArray ReadWholeFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteWholeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

QStringList PdfPageTexts(const QByteArray &pdf)
{
    QBuffer buffer;
    buffer.setData(pdf);
    buffer.open(QIODevice::ReadOnly);
    QPdfDocument document;
    document.load(&buffer);
    QStringList pages;
    for (int page = 0; page < document.pageCount(); ++page)
        pages.append(document.getAllText(page).text());
    return pages;
}
