#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class LibreOfficeEngine;
class OdfPageBatch;

/// Lays \a batch out once in \a engine's office and hands \a pdf each of its documents' own pages as a
/// PDF, in order (the document's index from 0 and the PDF's bytes, checked to be a whole PDF); stops
/// early once \a pdf returns false. Returns false, having handed over nothing, when which pages are
/// whose cannot be told for sure. Throws AutomationError.
bool MakePagePdfs(LibreOfficeEngine &engine, const OdfPageBatch &batch, const QString &what,
                  const std::function<bool(int index, const QByteArray &pdf)> &pdf);
