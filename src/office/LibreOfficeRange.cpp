#include "LibreOfficeRange.h"

#include "LibreOfficeDocument.h"
#include "LibreOfficeTable.h"
#include "OdfDocument.h"
#include "OfficeDocument.h"

LibreOfficeRange::LibreOfficeRange(std::shared_ptr<LibreOfficeDocument> document)
    : mDocument(std::move(document))
{}

LibreOfficeRange::LibreOfficeRange(std::shared_ptr<LibreOfficeTable> table)
    : mTable(std::move(table))
{}

void LibreOfficeRange::CopyAsPicture()
{
    const QString what = QStringLiteral("Copying the document as a picture");
    if (!mDocument)
        throw AutomationError(QStringLiteral("%1: only the whole document has a picture.").arg(what));
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

QString LibreOfficeRange::Text()
{
    QStringList lines;
    if (mTable) {
        const pugi::xml_node table = mTable->node();
        for (const QStringList &row : mTable->model().cellTexts(table))
            lines.append(row);
    } else {
        lines = mDocument->model().outline();
    }
    return lines.join(QLatin1Char('\n'));
}
