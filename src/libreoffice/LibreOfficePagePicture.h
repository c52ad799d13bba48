#pragma once

#include <QImage>
#include <QMarginsF>
#include <QString>

/// The picture of a document's main text, made from the office's PDF of it: every page at 96 dots
/// per inch (15 twips a pixel), cut to its text area, the pages one under another, and trimmed
/// below the last mark on the last page.
class LibreOfficePagePicture final
{
public:
    /// The tallest picture made: the painting code cannot draw taller images.
    static constexpr int kMaximumHeight = 32767;

    /// Renders \a pdfPath, cutting \a margins (in points) off every page. Throws AutomationError.
    static QImage render(const QString &pdfPath, const QMarginsF &margins);

    /// The rows of \a image above its last row that is not all \a background; at least one row.
    static QImage trimmedBelow(const QImage &image, QRgb background = qRgb(255, 255, 255));
};
