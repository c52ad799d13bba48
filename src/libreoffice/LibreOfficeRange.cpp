#include "LibreOfficeRange.h"

#include "LibreOfficeDocument.h"
#include "OfficeDocument.h"

LibreOfficeRange::LibreOfficeRange(std::shared_ptr<LibreOfficeDocument> document)
    : mDocument(std::move(document))
{}

void LibreOfficeRange::CopyAsPicture()
{
    const QString what = QStringLiteral("Copying the document as a picture");
    const std::shared_ptr<OfficeDocument> office = mDocument->loaded(what);
    const QMarginsF margins = office->textAreaMargins(what);
    const QByteArray pdf = office->storePdf(PagePicture::marginsNote(margins), what);
    PagePicture picture;
    try {
        picture = PagePicture::fromPdf(pdf, margins);
    } catch (const Failure &failure) {
        throw AutomationError(QStringLiteral("%1: %2").arg(what, failure.description()));
    }
    ProgramClipboard::current().setPicture(picture);
}
