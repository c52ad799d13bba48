#pragma once

#include "PagePicture.h"
#include "WordAutomation.h"

#include <memory>

class LibreOfficeBackend;
class ModelDocument;
class OfficeDocument;
class ModelTable;

/// The whole main text of a document, or one of its tables.
class ModelRange final : public WordRange
{
public:
    explicit ModelRange(std::shared_ptr<ModelDocument> document);
    explicit ModelRange(std::shared_ptr<ModelTable> table);

    /// Has the office lay the document out and export it to PDF, and puts that on the program's
    /// clipboard as the picture of the main text (see PagePicture). Only the whole main text has one.
    /// Of a long document only the first pages and the last are made at once; the picture has the
    /// office make the others when asked, for as long as it is held.
    void CopyAsPicture() override;
    QString Text() override;

    /// The pages of a long document's picture made at once, besides its last page.
    static constexpr int kFirstPages = 2;
    /// Documents of up to this many pages have their picture made whole at once.
    static constexpr int kWholeUpTo = 16;

private:
    static PagePicture::PageMaker pageMaker(std::shared_ptr<LibreOfficeBackend> backend,
                                            std::shared_ptr<OfficeDocument> document, const QString &marginsNote);

    std::shared_ptr<ModelDocument> mDocument;
    std::shared_ptr<ModelTable> mTable;
};
