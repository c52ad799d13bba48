#pragma once

#include "PagePicture.h"

#include <QString>

/// The name of the page picture in the temporary folder while it is handed over.
inline constexpr char kPagePictureFileName[] = "temp.bmp";

/// Reads the picture on the program's clipboard in \a format (0: whatever it holds). A read that
/// fails is tried again at once, up to 1000 reads in all. Returns a null picture when there is none.
PagePicture GetClipboardPicture(const int &format);

/// What became of a page snapshot.
enum class SnapshotResult {
    Written,     ///< the page picture file was written
    NoPicture,   ///< the word processor ran, but no picture came of it (reported)
    Unavailable, ///< the word processor could not be started or went away (reported once)
};

/// Makes the picture of the document at \a documentPath with an instance of the word processor of
/// its own and writes it to the page picture file (a PDF of the pages, or an image), replacing an older one.
/// Failures are reported with the snapshot's own location and step numbers. When \a taken is given, it
/// receives the picture as it was written, so that it need not be read back from the file.
SnapshotResult SaveDocAsJPG(const QString &documentPath, PagePicture *taken = nullptr);
