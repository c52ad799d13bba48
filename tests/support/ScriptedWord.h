#pragma once

#include "WordAutomation.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

/// A table of the stand-in's documents: rows of cells, each cell's paragraphs joined by "\n".
struct ScriptedTable
{
    QList<QStringList> rows;
    bool centred = false;
    bool wrapAroundText = true;
    /// Per cell ("row:column"), the spans that literal fills wrote, which later fills never search.
    QHash<QString, QList<std::pair<int, int>>> filled;
};

/// The main text of a stand-in document: paragraphs and tables in order.
struct ScriptedDocumentModel
{
    struct Block
    {
        QString paragraph;
        std::shared_ptr<ScriptedTable> table; // set for a table, else the block is a paragraph
    };
    QList<Block> body;

    QList<std::shared_ptr<ScriptedTable>> tables() const;
    /// Everything as text, tables cell by cell, for assertions.
    QString text() const;
    /// How many empty paragraphs stand between table \a n and table \a n + 1 (from 1).
    int emptyParagraphsAfterTable(int n) const;
    /// The body of the receipt template: two empty paragraphs, the receipt table, one empty paragraph.
    static ScriptedDocumentModel receiptTemplate();
};

/// A scripted stand-in for the word processor, for tests of the code that drives it: an in-memory
/// document model, a log of every operation, and failures injected at a chosen operation. It
/// installs itself as the automation backend (and a fresh program clipboard) for its lifetime.
/// Never used by the program.
class ScriptedWord
{
public:
    ScriptedWord();
    ~ScriptedWord();
    ScriptedWord(const ScriptedWord &) = delete;
    ScriptedWord &operator=(const ScriptedWord &) = delete;

    /// Operation names, as logged: "Create", "Open", "Tables", "Tables.Count", "Tables.Item", "Select",
    /// "ActiveWindow", "Selection", "Find", "Find.ClearFormatting", "Replacement",
    /// "Replacement.ClearFormatting", "Find.setText", "Replacement.setText", "Find.setForward",
    /// "Find.setWrap", "Find.setFormat", "Find.setMatchCase", "Find.setMatchWholeWord",
    /// "Find.setMatchWildcards", "Find.setMatchSoundsLike", "Find.setMatchAllWordForms",
    /// "FillPlaceholder", "Copy", "Paste", "EndKey", "TypeParagraph", "Rows", "Rows.setAlignment",
    /// "Rows.setWrapAroundText", "Range", "Range.Text", "CopyAsPicture", "SaveAs", "SaveAs2", "ExportAsFixedFormat",
    /// "setDisplayAlerts", "Close", "ActiveDocument", "Documents", "Quit".
    ///
    /// The \a occurrence-th call of \a operation (counted over all instances) throws AutomationError.
    void failAt(const QString &operation, int occurrence = 1);
    /// The word processor dies at that call: it and every later call of the instance throw
    /// WordProcessorLost.
    void loseAt(const QString &operation, int occurrence = 1);
    /// Every call of \a operation fails.
    void failAlways(const QString &operation);

    /// Runs before each operation with its name, e.g. to click a button or let time pass mid-run.
    std::function<void(const QString &operation)> onCall;

    /// Every operation so far, in order, with arguments, e.g. "Open(/tmp/x/template.dot, readOnly)".
    QStringList calls;
    int callCount(const QString &operation) const;

    /// Documents saved so far, by path.
    QHash<QString, ScriptedDocumentModel> saved;
    /// Instances created and instances quit.
    int created = 0;
    int quit = 0;
    /// Documents still open (not closed and their instance not quit).
    int openDocuments = 0;

    /// The picture CopyAsPicture puts on the clipboard: a white page with a dark block per table.
    static QImage pictureOf(const ScriptedDocumentModel &document);

    /// Called by the stand-in's objects before each operation: logs it and throws what was scripted.
    void enter(const QString &operation, const QString &arguments = {});
    bool lost() const { return mLost; }

private:
    struct Trigger
    {
        QString operation;
        int occurrence;
        bool lose;
    };
    QList<Trigger> mTriggers;
    QStringList mAlways;
    QHash<QString, int> mCounts;
    bool mLost = false;
    MemoryClipboard mClipboard;
};
