#include "PageSnapshot.h"

#include "GuardedProcedure.h"
#include "Locations.h"
#include "ProgramFiles.h"
#include "WordAutomation.h"

namespace {
constexpr int kMaxClipboardReads = 1000;

void writePicture(const PagePicture &picture, const QString &path)
{
    if (picture.isNull())
        throw Failure(QStringLiteral("Invalid picture: the clipboard holds no picture of the page"));
    WriteFileAfresh(picture.bytes(), path);
}
} // namespace

PagePicture GetClipboardPicture(const int &format)
{
    for (int reads = 0; reads < kMaxClipboardReads; ++reads) {
        try {
            return ProgramClipboard::current().picture(format);
        } catch (...) {
            // The clipboard may be busy for a moment; read again.
        }
    }
    return {};
}

SnapshotResult SaveDocAsJPG(const QString &documentPath, PagePicture *taken)
{
    GuardedProcedure proc(Location::Form1_SaveDocAsJPG);
    std::unique_ptr<WordApplication> word;
    // Without a word processor every later step would only fail again: one report is enough.
    if (!proc.step(116, [&] { word = CreateWordApplication(); }))
        return SnapshotResult::Unavailable;

    // A step that loses the word processor ends the snapshot: the steps after it could only fail again.
    auto run = [&](int line, auto &&action) {
        return proc.step(line, action) || !IsWordProcessorLost(proc.lastError());
    };
    bool written = false;
    const bool usable = run(118, [&] { word->Documents()->Open(documentPath); })
                        && run(120, [&] { word->ActiveDocument()->Range()->CopyAsPicture(); })
                        && run(122,
                               [&] {
                                   const int format = 0;
                                   const PagePicture picture = GetClipboardPicture(format);
                                   writePicture(picture, TempFile(QLatin1String(kPagePictureFileName)));
                                   written = true;
                                   if (taken)
                                       *taken = picture;
                               })
                        && run(124, [&] { word->ActiveDocument()->Close(wdDoNotSaveChanges); })
                        && run(126, [&] { word->Quit(); });
    if (!usable)
        return SnapshotResult::Unavailable;
    return written ? SnapshotResult::Written : SnapshotResult::NoPicture;
}
