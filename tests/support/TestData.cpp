#include "TestData.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPdfDocument>
#include <QPdfSelection>

#include <cerrno>
#include <signal.h>

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

QStringList FolderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool ProcessRuns(qint64 pid)
{
    if (::kill(static_cast<pid_t>(pid), 0) != 0)
        return errno != ESRCH;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) != "Z";
}
