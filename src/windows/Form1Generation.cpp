#include "Cancellation.h"
#include "DocumentBound.h"
#include "DocumentGeneration.h"
#include "FontCoverage.h"
#include "Form1.h"
#include "Form2.h"
#include "GuardedProcedure.h"
#include "Locations.h"
#include "PageSnapshot.h"
#include "Program.h"
#include "ProgramEnd.h"
#include "ProgramFiles.h"
#include "ReceiptList.h"
#include "UnprintableText.h"
#include "UserDialogs.h"
#include "WordAutomation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QTimer>

namespace {
// How often a run that is busy in the program lets the windows catch up.
constexpr int kProgressPumpMs = 40;

// Text that no installed font draws would print as empty boxes: the user hears of it, with the package
// that mends it, before anything is made, and decides. True to go on.
bool confirmUnprintableText(const ReceiptList &receipts)
{
    try {
        const QStringList warnings =
            UnprintableTextWarnings(FindUnprintableText(receipts.records(), *FontCoverage::current()),
                                    QStringLiteral("Receipt"), QStringLiteral("Receipts"));
        if (warnings.isEmpty())
            return true;
        const QStringList buttons{QStringLiteral("Make the Document"), QStringLiteral("Cancel")};
        return UserDialogs::current().choose(ApplicationTitle(),
                                             warnings.join(QStringLiteral("\n\n"))
                                                 + QStringLiteral("\n\nMake the document all the same?"),
                                             UserDialogs::Icon::Exclamation, buttons, 0)
               == 0;
    } catch (...) {
        // The check only warns: when it cannot be made, the run goes on as it always did.
        qWarning("The fonts could not be checked: %s", qUtf8Printable(DescribeException(std::current_exception())));
        return true;
    }
}
} // namespace

void Form1::PushButton6_Click()
{
    GuardedProcedure proc(Location::Form1_PushButton6_Click);
    if (proc.test(100, [&] { return mBusy; }))
        return;
    proc.step(102, [&] {
        mBusy = true;
        ClearRunCancel();
    });

    if (!proc.test(104, [&] { return mReceipts->count() == 0; })) {
        // Refused before anything is spent on it: the office would take many minutes and more memory
        // than the machine has.
        const QString tooMany = TooManyReceiptsProblem(
            mReceipts->count(),
            QStringLiteral("save the list as CSV and make several files with parvoline --per-file"));
        if (!tooMany.isEmpty()) {
            UserDialogs::current().message(ApplicationTitle(), tooMany, UserDialogs::Icon::Exclamation,
                                           UserDialogs::Buttons::Ok);
            proc.step(584, [&] { mBusy = false; });
            return;
        }
        if (!confirmUnprintableText(*mReceipts)) {
            proc.step(584, [&] { mBusy = false; });
            return;
        }
        proc.step(106, [&] { mPointer.set(MousePointer::Shape::Busy); });
        // A template of the user's is checked before any receipt is made from it.
        const std::function<QByteArray()> templateSource = templateForRun();
        if (!templateSource) {
            mPointer.set(MousePointer::Shape::Default);
            proc.step(584, [&] { mBusy = false; });
            return;
        }
        startProgress();

        // The Word file is written once the preview shows the first pages, which then come sooner.
        WordFileDeferral::expect(mReceipts->count());
        WordFileDeferral deferral;
        DocumentGeneration generation(*mReceipts, proc);
        generation.setTemplateSource(templateSource);
        generation.setProgress([this](DocumentGeneration::Stage stage, int receipt, int count) {
            if (stage == DocumentGeneration::Stage::Receipt)
                showProgress(QStringLiteral("Creating receipt %1 of %2...").arg(receipt).arg(count), receipt - 1,
                             count);
            else
                showProgress(QStringLiteral("Saving the document..."), 0, 0);
        });
        const QString wordFile = generation.run();

        if (wordFile.isEmpty()) {
            mPointer.set(MousePointer::Shape::Default); // the run could not be made; the receipts stay here
        } else if (ProgramEnding() || RunCancelRequested()) {
            // Cancelled, or the main window was closed while the run let events through: nobody will see
            // the result.
            DeleteFileQuietly(wordFile);
            mPointer.set(MousePointer::Shape::Default);
        } else {
            handOver(proc, wordFile, deferral);
        }
        stopProgress();
    } else {
        proc.step(582, [&] { MsgBox(QStringLiteral("You forgot to add receipt.")); });
    }
    proc.step(584, [&] { mBusy = false; });
}

void Form1::handOver(GuardedProcedure &proc, const QString &wordFile, WordFileDeferral &deferral)
{
    QString picturePath;
    SnapshotResult snapshot = SnapshotResult::NoPicture;
    PagePicture picture;
    showProgress(QStringLiteral("Making the page picture..."), 0, 0);
    proc.step(568, [&] {
        picturePath = TempFile(QLatin1String(kPagePictureFileName));
        snapshot = SaveDocAsJPG(wordFile, &picture);
    });
    if (snapshot == SnapshotResult::Unavailable || RunCancelRequested() || ProgramEnding()) {
        // The word processor went away (already reported), or the user stopped the run: nothing
        // half-done is shown or left behind.
        DeleteFileQuietly(wordFile);
        if (!picturePath.isEmpty())
            DeleteFileQuietly(picturePath);
        mPointer.set(MousePointer::Shape::Default);
        return;
    }
    proc.step(570, [&] { mPointer.set(MousePointer::Shape::Default); });
    // The picture the snapshot made is still at hand, with the pages it has yet to make; the file it
    // wrote is read only when it is not.
    proc.step(572, [&] {
        previewWindow()->setPagePicture(!picture.isNull() ? picture : PagePicture::fromFile(picturePath));
    });
    proc.step(574, [&] { previewWindow()->setWordFile(wordFile); });
    proc.step(576, [&] {
        Form2 *preview = previewWindow();
        preview->show();
        preview->raise();
        preview->activateWindow();
    });
    proc.step(578, [&] { hide(); });
    proc.step(580, [&] { DeleteFileQuietly(picturePath); });

    // The first pages show; now the Word file is written, from what the office laid out for them, while
    // the preview waits with its buttons. A file that cannot be written whole ends the run with that one
    // report, and the list comes back as Back brings it.
    stopProgress();
    Form2 *preview = previewWindow();
    const bool written = proc.step(554, [&] { preview->finishDocument([&] { deferral.write(wordFile); }); });
    if (ProgramEnding()) {
        // The preview was closed meanwhile: nobody will save the file.
        DeleteFileQuietly(wordFile);
    } else if (!written) {
        preview->PushButton8_Click();
    }
}

Form2 *Form1::previewWindow()
{
    if (!mPreview)
        mPreview = std::make_unique<Form2>(this);
    return mPreview.get();
}

void Form1::startProgress()
{
    mProgressText.clear();
    mProgressValue = 0;
    mProgressMaximum = mReceipts->count();
    // A run shorter than the delay finishes before anyone would look for progress. The timer fires while
    // the run lets events through, also while it waits for the word processor.
    mProgressDelay = std::make_unique<QTimer>();
    mProgressDelay->setSingleShot(true);
    connect(mProgressDelay.get(), &QTimer::timeout, this, [this] { showProgressDialog(); });
    mProgressDelay->start(mProgressDelayMs);
}

void Form1::showProgressDialog()
{
    if (mProgress || !mBusy)
        return;
    mProgress = std::make_unique<QProgressDialog>(this);
    mProgress->setWindowTitle(ApplicationTitle());
    mProgress->setMinimumDuration(0);
    mProgress->setAutoClose(false);
    mProgress->setAutoReset(false);
    mProgress->setWindowModality(Qt::NonModal);
    // Wide enough for "Creating receipt 1000 of 1000..." without the dialog changing size.
    mProgress->setMinimumWidth(360);
    mProgress->setRange(0, mProgressMaximum);
    mProgress->setValue(mProgressValue);
    mProgress->setLabelText(mProgressText);
    // Cancel stops the run at its next step, or the word processor in the middle of its work.
    connect(mProgress.get(), &QProgressDialog::canceled, this, [this] {
        RequestRunCancel();
        if (mProgress)
            mProgress->setLabelText(QStringLiteral("Cancelling..."));
    });
    mProgress->show();
}

void Form1::showProgress(const QString &text, int value, int maximum)
{
    const bool changed = text != mProgressText;
    mProgressText = text;
    mProgressValue = value;
    mProgressMaximum = maximum;
    if (mProgress && !RunCancelRequested()) {
        // The office's work has no steps to count: the bar only shows that it goes on.
        mProgress->setMaximum(maximum);
        if (changed)
            mProgress->setLabelText(text);
        mProgress->setValue(value);
    }
    // Keep both windows painted and Cancel answered, but not at every receipt of a long run.
    if (!mProgressPump.isValid() || mProgressPump.elapsed() >= kProgressPumpMs) {
        mProgressPump.start();
        QCoreApplication::processEvents();
    }
}

void Form1::stopProgress()
{
    mProgressDelay.reset();
    mProgress.reset();
    mProgressPump.invalidate();
}
