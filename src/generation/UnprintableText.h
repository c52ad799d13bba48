#pragma once

#include "ReceiptRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

class FontCoverage;

/// Text of one script that no installed font can draw, and the receipts that hold it.
struct UnprintableScript
{
    QString what;      ///< as the message names it: "Chinese text", "emoji", "characters such as U+10900"
    bool plural;       ///< whether the message says "them" of it ("emoji") rather than "it" ("Chinese text")
    QString package;   ///< the Debian package whose fonts draw it
    QList<int> owners; ///< the receipts (or rows) that hold it, in order

    bool operator==(const UnprintableScript &other) const = default;
};

/// The scripts of \a records that \a coverage cannot draw, in the order they first appear. Each record
/// is numbered by \a numbers (e.g. its row in a file), else by its place in the list from 1. Blanks,
/// control and format characters, variation selectors, private-use and unassigned code points are no
/// text of their own and are not looked at.
QList<UnprintableScript> FindUnprintableText(const QList<ReceiptRecord> &records, const FontCoverage &coverage,
                                             const QList<int> &numbers = {});

/// One sentence per script found: "Receipts 5 and 9 hold Chinese text, but no font for it is installed;
/// it would print as empty boxes. Install the package fonts-noto-cjk." \a one and \a many name a single
/// owner and several ("Receipt", "Receipts"; "Row", "Rows").
QStringList UnprintableTextWarnings(const QList<UnprintableScript> &found, const QString &one, const QString &many);
