#include "ModelRange.h"

#include "LibreOfficeBackend.h"
#include "LibreOfficeCall.h"
#include "LibreOfficeSession.h"
#include "ModelDocument.h"
#include "ModelTable.h"
#include "OdfDocument.h"
#include "OfficeDocument.h"

ModelRange::ModelRange(std::shared_ptr<ModelDocument> document)
    : mDocument(std::move(document))
{}

ModelRange::ModelRange(std::shared_ptr<ModelTable> table)
    : mTable(std::move(table))
{}

void ModelRange::CopyAsPicture()
{
    const QString what = QStringLiteral("Copying the document as a picture");
    if (!mDocument)
        throw AutomationError(QStringLiteral("%1: only the whole document has a picture.").arg(what));
    const std::shared_ptr<OfficeDocument> office = mDocument->loaded(what);
    const QMarginsF margins = office->textAreaMargins(what);
    const QString marginsNote = PagePicture::marginsNote(margins);
    const int pages = office->pageCount(what);
    PagePicture picture;
    try {
        // A short document is made whole: its pages cost no more than the first ones of a long one.
        if (pages <= kWholeUpTo) {
            picture = PagePicture::fromPdf(office->storePdf(marginsNote, what), margins);
        } else {
            // A long document shows its first pages at once; the picture places the others from the
            // last one and has them made while it is shown.
            QList<int> first;
            for (int page = 1; page <= kFirstPages; ++page)
                first.append(page);
            first.append(pages);
            const QString note = marginsNote + QLatin1Char(' ') + PagePicture::pagesNote(pages, first);
            const QByteArray pdf = office->storePdf(note, what, QStringLiteral("1-%1,%2").arg(kFirstPages).arg(pages));
            picture = PagePicture::fromFirstPages(pdf, margins, pages, first,
                                                  pageMaker(mDocument->sharedBackend(), office, marginsNote));
        }
    } catch (const Failure &failure) {
        throw AutomationError(QStringLiteral("%1: %2").arg(what, failure.description()));
    }
    ProgramClipboard::current().setPicture(picture);
}

namespace {
// The document a picture has pages made of, held in the office until the picture lets go of it.
struct PictureDocument
{
    PictureDocument(std::shared_ptr<LibreOfficeBackend> owner, std::shared_ptr<OfficeDocument> document)
        : backend(std::move(owner))
        , office(std::move(document))
    {
        backend->pictureHolds();
    }
    ~PictureDocument()
    {
        office.reset();
        backend->pictureLetGo();
    }
    PictureDocument(const PictureDocument &) = delete;
    PictureDocument &operator=(const PictureDocument &) = delete;

    std::shared_ptr<LibreOfficeBackend> backend;
    std::shared_ptr<OfficeDocument> office;
};
} // namespace

PagePicture::PageMaker ModelRange::pageMaker(std::shared_ptr<LibreOfficeBackend> backend,
                                             std::shared_ptr<OfficeDocument> document, const QString &marginsNote)
{
    auto held = std::make_shared<PictureDocument>(std::move(backend), std::move(document));
    return [held, marginsNote](int first, int last) {
        OfficeDocument *office = held->office.get();
        // Whatever else has the office at work just now goes first; the pages are asked for again later.
        if (office->session().isBusy())
            return QByteArray();
        // A few pages take a moment. The preview has them made on a thread of its own and goes on; a
        // caller on the main thread (a print) waits for them without running events, so that no click
        // reaches the office while it is at work on them.
        const OfficeWaitWithoutEvents quiet;
        return office->storePdf(marginsNote,
                                QStringLiteral("Making the pages %1 to %2 of the picture").arg(first).arg(last),
                                QStringLiteral("%1-%2").arg(first).arg(last));
    };
}

QString ModelRange::Text()
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
