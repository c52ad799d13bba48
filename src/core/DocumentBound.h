#pragma once

#include <QString>

/// The most receipts one document is made of. The office reads a document's tables in a time that
/// grows with the square of their number and holds about 70 KB a receipt: beyond this, one document
/// takes many minutes and more memory than a small machine has. More receipts go into several files.
constexpr int kMostReceiptsPerDocument = 20000;

/// Why \a count receipts are refused for one document, and the way out, in one sentence; empty when
/// they fit. \a wayOut names how to make several files instead.
QString TooManyReceiptsProblem(qsizetype count, const QString &wayOut);
