#pragma once

#include "WordAutomation.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class GuardedProcedure;
class ReceiptList;

/// A placeholder of the receipt template and the list column that fills it (-1: the total).
struct Placeholder
{
    const char *text;
    int column;
};

/// The fourteen placeholders, in the order every receipt fills them.
inline constexpr Placeholder kPlaceholders[] = {
    {"[RECEIPT]", 0}, {"[NO.]", 1},       {"[FromPayee]", 2}, {"[FromAddress]", 3}, {"[FromCity]", 4},
    {"[ToPayee]", 5}, {"[ToAddress]", 6}, {"[ToCity]", 7},    {"[Date]", 8},        {"[Description]", 9},
    {"[Amount]", 10}, {"[Tax]", 11},      {"[SubTotal]", 10}, {"[Total]", -1},
};

/// The name of the template file in the temporary folder while a run lasts.
inline constexpr char kTemplateFileName[] = "template.dot";

/// Turns the receipt list into one document in the temporary folder: the numbered steps of "Start
/// Creating Template" from reading the template to deleting it again (108 to 566), reported through
/// the caller's guarded procedure. Knows no window: the caller supplies the template's bytes and,
/// if it likes, a progress display.
class DocumentGeneration
{
public:
    /// What a run is doing, for a progress display.
    enum class Stage {
        Receipt, ///< filling a receipt: \a receipt of \a count
        Saving,  ///< having the document written
    };
    /// Called before each receipt is filled (with its number from 1 and the number of receipts) and
    /// before the document is saved.
    using Progress = std::function<void(Stage stage, int receipt, int count)>;

    DocumentGeneration(const ReceiptList &receipts, GuardedProcedure &procedure);

    void setTemplateSource(std::function<QByteArray()> source) { mTemplateSource = std::move(source); }
    void setProgress(Progress progress) { mProgress = std::move(progress); }
    /// The format the document is saved in (wdFormatDocument, the Word 97-2003 file, unless a caller
    /// that wants another one asks for it: writing a Word file nobody keeps costs a long run seconds).
    void setFileFormat(int fileFormat) { mFileFormat = fileFormat; }

    /// Runs the steps. Returns the path of the saved document, or an empty path when the run had to
    /// be abandoned because the word processor could not be started, could not open the template or
    /// went away (that failure is reported once), or because the user cancelled (RequestRunCancel,
    /// nothing reported); nothing of an abandoned run is left behind.
    QString run();

private:
    struct Abandoned
    {
    };

    template<typename Action>
    void step(int line, Action &&action, bool fatal = false);
    template<typename Condition>
    bool test(int line, Condition &&condition);
    /// The selection of the document's window; objects of the word processor live only as long as
    /// someone holds them, so callers keep the pointer for the whole statement.
    std::shared_ptr<WordSelection> selection();
    void fillReceipt(int receipt);
    /// The number (from 1) of receipt \a receipt's table: the template's first table, then the copies
    /// pasted after everything the template holds.
    int receiptTable(int receipt) const;
    void notify(Stage stage, int receipt, int count);
    QString reserveDocumentPath();
    void cleanUp();

    const ReceiptList &mReceipts;
    GuardedProcedure &mProcedure;
    std::function<QByteArray()> mTemplateSource;
    Progress mProgress;
    int mFileFormat = wdFormatDocument;

    // The run's state, as the steps leave it.
    std::unique_ptr<WordApplication> mWord;
    std::shared_ptr<WordDocument> mDocument;
    std::shared_ptr<WordFind> mFind;
    QString mTemplatePath;
    int mTemplateTables = 1;
    QString mDocumentPath;
    bool mReserved = false;
    bool mSaved = false;
    QString mFindText;
    QString mReplacementText;
};
