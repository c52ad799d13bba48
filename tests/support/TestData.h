#pragma once

#include "ReceiptRecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

/// Receipt \a n of a run of many, as the tests and benchmarks make them: every field filled, the name
/// ("Receipt n"), number, description and amount telling the receipts apart.
ReceiptRecord ExampleReceipt(int n);

/// The whole content of the file at \a path; empty when it cannot be read.
QByteArray ReadWholeFile(const QString &path);
/// Writes \a content as the file at \a path; a test that cannot even write its input stops.
void WriteWholeFile(const QString &path, const QByteArray &content);
/// The text of each page of a PDF, as QtPdf reads it; empty when it is no PDF.
QStringList PdfPageTexts(const QByteArray &pdf);
/// Every entry of \a folder, hidden ones and sockets included, by name.
QStringList FolderEntries(const QString &folder);
/// True while the process \a pid runs; a zombie, which only waits for its parent, does not.
bool ProcessRuns(qint64 pid);
/// What a child program wrote to standard error, without the reports that a sanitizer run adds for code
/// outside the program (the office's UNO runtime has a known vptr note): the program's own lines only.
QByteArray ProgramLines(const QByteArray &standardError);
