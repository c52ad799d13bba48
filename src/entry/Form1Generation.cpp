#include "DocumentGeneration.h"
#include "Form1.h"
#include "Form2.h"
#include "GuardedProcedure.h"
#include "Locations.h"
#include "Main.h"
#include "PageSnapshot.h"
#include "ReceiptList.h"
#include "ReceiptTemplate.h"
#include "UserDialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressDialog>

namespace {
// A run shorter than this finishes before anyone would look for progress.
constexpr int kProgressDelayMs = 800;
} // namespace

void Form1::PushButton6_Click()
{
    GuardedProcedure proc(Location::Form1_PushButton6_Click);
    if (proc.test(100, [&] { return mBusy; }))
        return;
    proc.step(102, [&] { mBusy = true; });

    if (!proc.test(104, [&] { return mReceipts->count() == 0; })) {
        proc.step(106, [&] { mPointer.set(MousePointer::Shape::Busy); });
        mRunClock = std::make_unique<QElapsedTimer>();
        mRunClock->start();

        DocumentGeneration generation(*mReceipts, proc);
        generation.setTemplateSource(&ReceiptTemplateBytes);
        generation.setProgress([this](int receipt, int count) { showProgress(receipt, count); });
        const QString wordFile = generation.run();
        mProgress.reset();
        mRunClock.reset();

        if (wordFile.isEmpty()) {
            mPointer.set(MousePointer::Shape::Default); // the run could not be made; the receipts stay here
        } else if (ProgramEnding()) {
            // The main window was closed while the run let events through: nobody will see the result.
            DeleteFileQuietly(wordFile);
        } else {
            handOver(proc, wordFile);
        }
    } else {
        proc.step(582, [&] { MsgBox(QStringLiteral("You forgot to add receipt.")); });
    }
    proc.step(584, [&] { mBusy = false; });
}

void Form1::handOver(GuardedProcedure &proc, const QString &wordFile)
{
    QString picturePath;
    SnapshotResult snapshot = SnapshotResult::NoPicture;
    proc.step(568, [&] {
        picturePath = TempFile(QLatin1String(kPagePictureFileName));
        snapshot = SaveDocAsJPG(wordFile);
    });
    if (snapshot == SnapshotResult::Unavailable) {
        // The word processor went away: already reported; nothing half-done is shown or left behind.
        DeleteFileQuietly(wordFile);
        if (!picturePath.isEmpty())
            DeleteFileQuietly(picturePath);
        mPointer.set(MousePointer::Shape::Default);
        return;
    }
    proc.step(570, [&] { mPointer.set(MousePointer::Shape::Default); });
    proc.step(572, [&] { previewWindow()->setPagePicture(PagePicture::fromFile(picturePath)); });
    proc.step(574, [&] { previewWindow()->setWordFile(wordFile); });
    proc.step(576, [&] {
        Form2 *preview = previewWindow();
        preview->show();
        preview->raise();
        preview->activateWindow();
    });
    proc.step(578, [&] { hide(); });
    proc.step(580, [&] { DeleteFileQuietly(picturePath); });
}

Form2 *Form1::previewWindow()
{
    if (!mPreview)
        mPreview = std::make_unique<Form2>(this);
    return mPreview.get();
}

void Form1::showProgress(int receipt, int count)
{
    if (!mProgress && mRunClock && mRunClock->elapsed() >= kProgressDelayMs) {
        mProgress = std::make_unique<QProgressDialog>(this);
        mProgress->setWindowTitle(ApplicationTitle());
        mProgress->setCancelButton(nullptr);
        mProgress->setMinimumDuration(0);
        mProgress->setAutoClose(false);
        mProgress->setAutoReset(false);
        mProgress->setWindowModality(Qt::NonModal);
        mProgress->setRange(0, count);
        mProgress->show();
    }
    if (mProgress) {
        mProgress->setMaximum(count);
        mProgress->setLabelText(QStringLiteral("Creating receipt %1 of %2...").arg(receipt).arg(count));
        mProgress->setValue(receipt - 1);
    }
    // Keep both windows painted; a click on the button meanwhile finds the run busy and does nothing.
    QCoreApplication::processEvents();
}
