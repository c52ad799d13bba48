// One PDF per receipt, many receipts at a time: the receipts are filled one by one as always, joined into
// one document in which each starts on a page of its own, laid out once, and each receipt's PDF is then
// made of its own pages only. Laying a document out is what a PDF costs; a page range of a laid-out one
// costs a fraction of that.

#include "BatchCommand.h"
#include "BatchDialogs.h"
#include "CheckedFile.h"
#include "Failure.h"
#include "GuardedProcedure.h"
#include "LibreOfficeEngine.h"
#include "OdfPageBatch.h"
#include "PagePdfs.h"
#include "ProgramEnd.h"
#include "ProgramFiles.h"
#include "ReceiptRecord.h"
#include "WordAutomation.h"

#include <QFile>
#include <QScopeGuard>

#include <algorithm>
#include <atomic>

namespace {
// Names the PDFs this process makes in its temporary folder, never twice.
QString nextPdfName()
{
    static std::atomic<int> serial{0};
    return QStringLiteral("receipt-%1.pdf").arg(++serial);
}

QByteArray takeFile(const QString &path)
{
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    const bool read = file.error() == QFileDevice::NoError && !bytes.isEmpty();
    file.close();
    DeleteFileQuietly(path);
    if (!read)
        throw Failure(QStringLiteral("%1 cannot be read back: %2").arg(path, file.errorString()));
    return bytes;
}

} // namespace

LibreOfficeEngine::Settings BatchCommand::engineSettings(bool eachPdf)
{
    LibreOfficeEngine::Settings settings;
    // Nothing here is shown: a part's document need not stay in the office once it is written.
    settings.keepSavedDocument = false;
    // Its offices work side by side already, on a document each.
    settings.writerOfficeFrom = 0;
    // Laying out a batch of receipts leaves the office larger than one document does, and a fresh start
    // costs seconds; it is given one only once it has grown by far more.
    if (eachPdf)
        settings.recycleGrowthKilobytes = kEachPdfGrowthKilobytes;
    return settings;
}

int BatchCommand::eachPdfBatchSize(qsizetype receipts, int jobs)
{
    // Enough receipts to share one layout among them, and every office busy on a short run.
    const qsizetype share = (receipts + jobs - 1) / std::max(1, jobs);
    return static_cast<int>(std::clamp<qsizetype>(share, 1, kEachPdfBatch));
}

bool BatchCommand::makeEachPdf(const QList<ReceiptRecord> &records, const std::function<QByteArray()> &templateSource,
                               LibreOfficeEngine &engine, BatchDialogs &dialogs,
                               const std::function<void(int index, const QString &pdf)> &finished,
                               const std::function<void(int done)> &progress)
{
    const auto stopped = [&] {
        return dialogs.failed() || ProgramEndRequested();
    };
    // Each receipt filled exactly as its own document is, kept as the text the office would lay out.
    OdfPageBatch batch;
    // Set for comparison: every receipt a document of its own, as before batches were laid out together.
    bool joined = !qEnvironmentVariableIsSet("PARVOLINE_EACH_SEPARATELY");
    engine.holdRecycling(true);
    const auto measure = qScopeGuard([&] { engine.holdRecycling(false); });
    for (qsizetype i = 0; i < records.size() && joined; ++i) {
        const QString flat = makeDocument(records.mid(i, 1), wdFormatFlatOpenDocumentText, templateSource, {});
        if (flat.isEmpty() || stopped()) {
            if (!flat.isEmpty())
                DeleteFileQuietly(flat);
            if (!stopped())
                dialogs.fail(QStringLiteral("the document could not be made"));
            return false;
        }
        QString problem;
        try {
            joined = batch.append(takeFile(flat), problem);
        } catch (const Failure &failure) {
            dialogs.fail(failure.description());
            return false;
        }
    }

    const QString what = QStringLiteral("Making the receipts' PDF files");
    bool made = false;
    try {
        made = joined && MakePagePdfs(engine, batch, what, [&](int index, const QByteArray &pdf) {
                   // In the command's working folder, which goes with the command whatever happens.
                   const QString path = TempFile(nextPdfName());
                   // Copied to its place, durably, before it counts as written.
                   WriteFileChecked(pdf, path, CheckedFile::Mode::Replace, std::nullopt, false);
                   finished(index, path);
                   if (progress)
                       progress(index + 1);
                   return !stopped();
               });
    } catch (...) {
        dialogs.fail(DescribeException(std::current_exception()));
        return false;
    }
    if (made)
        return !stopped();

    // Where the pages of each cannot be told for sure, each receipt is a document of its own, as always.
    for (qsizetype i = 0; i < records.size() && !stopped(); ++i) {
        const QString pdf = makeDocument(records.mid(i, 1), wdFormatPDF, templateSource, {});
        if (pdf.isEmpty()) {
            if (!stopped())
                dialogs.fail(QStringLiteral("the document could not be made"));
            return false;
        }
        if (stopped()) {
            DeleteFileQuietly(pdf);
            return false;
        }
        finished(static_cast<int>(i), pdf);
        if (progress)
            progress(static_cast<int>(i) + 1);
    }
    return !stopped();
}
