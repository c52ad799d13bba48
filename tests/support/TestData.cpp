#include "TestData.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QRegularExpression>

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

QByteArray ProgramLines(const QByteArray &standardError)
{
    // A sanitizer report is a "runtime error:" line naming the source, notes about addresses, an
    // indented dump of the bytes with a marker under them and a stack, and a blank line; a summary line
    // names the source again. Only the known note is dropped: a call through an office interface, whose
    // objects the UNO bridge makes at run time with no type information the checker can follow, in the
    // office's headers (installed, or generated into the build) or in the program's office folder. Any
    // other report stays, so the test that reads it fails.
    static const QRegularExpression colour(QStringLiteral("\x1b\\[[0-9;]*m"));
    static const QRegularExpression knownNote(
        QStringLiteral("^(SUMMARY: UndefinedBehaviorSanitizer: \\S+ )?\\S*(/usr/|/uno-inc/|src/office/)\\S*:\\d+:\\d+"
                       "(: runtime error: (member call on|downcast of|member access within) address|$| in )"));
    static const QRegularExpression reportDetail(QStringLiteral("^(0x[0-9a-f]+: note: |[ \\t]|\\r?$)"));
    QByteArray kept;
    bool inKnownNote = false;
    const QList<QByteArray> lines = standardError.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromLocal8Bit(lines.at(i)).remove(colour);
        if (knownNote.match(line).hasMatch()) {
            inKnownNote = true;
            continue;
        }
        if (inKnownNote && reportDetail.match(line).hasMatch())
            continue;
        inKnownNote = false;
        kept += lines.at(i);
        if (i + 1 < lines.size())
            kept += '\n';
    }
    return kept;
}
