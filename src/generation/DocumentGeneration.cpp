#include "DocumentGeneration.h"

#include "Cancellation.h"
#include "DocumentName.h"
#include "GuardedProcedure.h"
#include "ProgramFiles.h"
#include "ReceiptList.h"
#include "ReceiptTotal.h"
#include "RunLeftovers.h"
#include "WordAutomation.h"

#include <QFile>

#include <algorithm>

namespace {
constexpr int kTemplateTable = 1;
// A full folder of names is not worth more tries than this; the save then reports the trouble.
constexpr int kMaxNameDraws = 1000;

template<typename T>
T &use(const std::shared_ptr<T> &object)
{
    if (!object)
        throw Failure(QStringLiteral("Object variable or With block variable not set"));
    return *object;
}

template<typename T>
T &use(const std::unique_ptr<T> &object)
{
    if (!object)
        throw Failure(QStringLiteral("Object variable or With block variable not set"));
    return *object;
}
} // namespace

DocumentGeneration::DocumentGeneration(const ReceiptList &receipts, GuardedProcedure &procedure)
    : mReceipts(receipts)
    , mProcedure(procedure)
{}

template<typename Action>
void DocumentGeneration::step(int line, Action &&action, bool fatal)
{
    // Cancelled, or the program is being ended: nothing of the run is wanted any more.
    if (RunCancelRequested())
        throw Abandoned{};
    if (!mProcedure.step(line, std::forward<Action>(action))
        && (fatal || IsWordProcessorLost(mProcedure.lastError()) || IsAutomationCancelled(mProcedure.lastError())
            || RunCancelRequested()))
        throw Abandoned{};
}

template<typename Condition>
bool DocumentGeneration::test(int line, Condition &&condition)
{
    const int failuresBefore = mProcedure.failures();
    const bool result = mProcedure.test(line, std::forward<Condition>(condition));
    if (mProcedure.failures() != failuresBefore
        && (IsWordProcessorLost(mProcedure.lastError()) || RunCancelRequested()))
        throw Abandoned{};
    return result;
}

QString DocumentGeneration::run()
{
    try {
        QByteArray templateBytes;
        step(108, [&] { templateBytes = mTemplateSource ? mTemplateSource() : QByteArray(); });
        // Only a template written or checked in this run is ever opened.
        bool templateReady = false;
        step(110, [&] {
            EnsureOwnFile(templateBytes, TempFile(QLatin1String(kTemplateFileName)));
            templateReady = true;
        });
        step(
            112, [&] { mWord = CreateWordApplication(); }, true);
        step(114, [&] { mTemplatePath = TempFile(QLatin1String(kTemplateFileName)); });
        step(
            116,
            [&] {
                if (!templateReady)
                    throw Failure(QStringLiteral("File not found: ") + mTemplatePath);
                mDocument = use(use(mWord).Documents()).Open(mTemplatePath, true);
            },
            true);
        step(118, [&] {
            // A template of the user's may hold more tables after the receipt; the copies go after them.
            const std::shared_ptr<WordTables> tables = use(mDocument).Tables();
            mTemplateTables = std::max(1, use(tables).Count());
            use(use(tables).Item(kTemplateTable)).Select();
        });
        step(120, [&] { use(use(use(mDocument).ActiveWindow()).Selection()).Copy(); });

        int count = 0;
        step(122, [&] { count = mReceipts.count(); });
        for (int receipt = 1; receipt <= count; ++receipt) {
            notify(Stage::Receipt, receipt, count);
            fillReceipt(receipt);
            if (test(516, [&] { return receipt < mReceipts.count(); })) {
                auto nextTable = [&] {
                    return use(use(mDocument).Tables()).Item(receiptTable(receipt + 1));
                };
                step(518, [&] { use(selection()).EndKey(wdStory); });
                step(520, [&] { use(selection()).TypeParagraph(); });
                step(522, [&] { use(selection()).TypeParagraph(); });
                step(524, [&] { use(selection()).Paste(); });
                step(526, [&] { use(use(nextTable()).Rows()).setAlignment(wdAlignRowCenter); });
                step(528, [&] { use(use(nextTable()).Rows()).setWrapAroundText(false); });
            }
        }

        int tables = 0;
        step(532, [&] { tables = use(use(mDocument).Tables()).Count(); });
        for (int table = 1; table <= tables; ++table) {
            // The template's other tables are the user's, and stay as the template has them.
            if (table > 1 && table <= mTemplateTables)
                continue;
            step(534,
                 [&] { use(use(use(use(mDocument).Tables()).Item(table)).Rows()).setAlignment(wdAlignRowCenter); });
        }

        mDocumentPath = reserveDocumentPath();
        notify(Stage::Saving, count, count);
        // A document that could not be written whole ends the run with that one report: a preview of
        // it would only offer to save what is not there.
        step(
            554,
            [&] {
                if (mFileFormat == wdFormatDocument)
                    use(mDocument).SaveAs(mDocumentPath);
                else
                    use(mDocument).SaveAs2(mDocumentPath, mFileFormat);
                mSaved = true;
            },
            true);
        step(556, [&] { use(mWord).setDisplayAlerts(false); });
        step(558, [&] { use(mDocument).Close(); });
        step(560, [&] { use(mWord).Quit(); });
        step(562, [&] { mDocument.reset(); });
        step(564, [&] { mWord.reset(); });
        step(566, [&] { DeleteFileQuietly(mTemplatePath); });
        return mDocumentPath;
    } catch (const Abandoned &) {
        cleanUp();
        return {};
    }
}

void DocumentGeneration::notify(Stage stage, int receipt, int count)
{
    if (!mProgress)
        return;
    try {
        mProgress(stage, receipt, count);
    } catch (...) {
        // A progress display that fails must not stop the run.
    }
}

int DocumentGeneration::receiptTable(int receipt) const
{
    return receipt == 1 ? kTemplateTable : mTemplateTables + receipt - 1;
}

std::shared_ptr<WordSelection> DocumentGeneration::selection()
{
    return use(use(mDocument).ActiveWindow()).Selection();
}

void DocumentGeneration::fillReceipt(int receipt)
{
    // The receipt's table, taken once for its fourteen fills.
    std::shared_ptr<WordTable> table;
    for (int k = 0; k < int(std::size(kPlaceholders)); ++k) {
        const Placeholder &placeholder = kPlaceholders[k];
        const int line = 124 + 28 * k;
        step(line, [&] { use(use(selection()).Find()).ClearFormatting(); });
        step(line + 2, [&] { use(use(use(selection()).Find()).Replacement()).ClearFormatting(); });
        step(line + 4, [&] { mFind = use(selection()).Find(); });
        step(line + 6, [&] {
            const QString text = QLatin1String(placeholder.text);
            use(mFind).setText(text);
            mFindText = text;
        });
        step(line + 8, [&] {
            // A value that cannot be had leaves its placeholder empty, never with the one before.
            mReplacementText.clear();
            // The value is read now: the list may have changed while earlier steps let events run.
            const QString value = placeholder.column >= 0 ? mReceipts.text(receipt, placeholder.column)
                                                          : ReceiptTotalOf(mReceipts, receipt);
            use(use(mFind).Replacement()).setText(value);
            mReplacementText = value;
        });
        step(line + 10, [&] { use(mFind).setForward(true); });
        step(line + 12, [&] { use(mFind).setWrap(wdFindContinue); });
        step(line + 14, [&] { use(mFind).setFormat(false); });
        step(line + 16, [&] { use(mFind).setMatchCase(false); });
        step(line + 18, [&] { use(mFind).setMatchWholeWord(false); });
        step(line + 20, [&] { use(mFind).setMatchWildcards(false); });
        step(line + 22, [&] { use(mFind).setMatchSoundsLike(false); });
        step(line + 24, [&] {
            use(mFind).setMatchAllWordForms(false);
            mFind.reset();
        });
        // Each receipt's own table is filled literally: a value is text, never a placeholder, and
        // never reaches another receipt.
        step(line + 26, [&] {
            if (!table)
                table = use(use(mDocument).Tables()).Item(receiptTable(receipt));
            use(table).FillPlaceholder(mFindText, mReplacementText);
        });
    }
}

QString DocumentGeneration::reserveDocumentPath()
{
    for (int draw = 0; draw < kMaxNameDraws; ++draw) {
        QString path;
        QString name;
        step(538, [&] { name = QLatin1String(kDocumentPrefix); });
        for (int digit = 0; digit < 8; ++digit) {
            int value = 0;
            step(544, [&] { value = RandomNameDigit(); });
            step(546, [&] { name += QString::number(value); });
        }
        step(550, [&] { path = TempFile(name + QStringLiteral(".doc")); });
        // The name is taken by creating the file: a file that exists, or appears meanwhile, is never
        // overwritten; a fresh name is drawn instead.
        bool taken = false;
        test(552, [&] {
            if (FileExists(path)) {
                taken = true;
                return true;
            }
            RunLeftovers::add(path);
            QFile reservation(path);
            if (reservation.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                mReserved = true;
                return false;
            }
            RunLeftovers::forget(path);
            if (FileExists(path)) {
                taken = true;
                return true;
            }
            throw Failure(QStringLiteral("Path/File access error: ") + reservation.errorString());
        });
        if (!taken)
            return path;
    }
    // Every name drawn was taken: saving under none of them, rather than over one.
    return {};
}

void DocumentGeneration::cleanUp()
{
    if (mWord) {
        try {
            mWord->Quit();
        } catch (...) {
            // The word processor may be gone already; there is nothing more to close.
        }
    }
    mFind.reset();
    mDocument.reset();
    mWord.reset();
    QString templatePath = mTemplatePath;
    if (templatePath.isEmpty()) {
        try {
            templatePath = TempFile(QLatin1String(kTemplateFileName));
        } catch (...) {
            // Without a temporary folder no template was written either.
        }
    }
    if (!templatePath.isEmpty())
        DeleteFileQuietly(templatePath);
    if (mReserved || mSaved)
        DeleteFileQuietly(mDocumentPath);
}
