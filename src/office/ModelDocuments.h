#pragma once

#include "WordAutomation.h"

#include <QList>

#include <memory>

class LibreOfficeBackend;
class ModelDocument;

/// The documents one instance opened, in the order they were opened.
class ModelDocuments final : public WordDocuments
{
public:
    explicit ModelDocuments(std::shared_ptr<LibreOfficeBackend> backend);

    /// Opens \a fileName. Read-only gives an untitled copy made from the file (a template opens as a
    /// new document made from it), so the file itself is never written. The office reads a file once:
    /// a template read before is copied in the program, and the file saved last is still loaded.
    std::shared_ptr<WordDocument> Open(const QString &fileName, bool readOnly = false) override;

    /// The document opened last that is still open; null when none is.
    std::shared_ptr<ModelDocument> active() const;
    /// Closes every document still open, unsaved. Never throws.
    void closeAll() noexcept;
    /// Closes every document; from now on nothing can be opened.
    void quit() noexcept;
    /// Whether any document was opened.
    bool openedAny() const { return mOpenedAny; }

private:
    std::shared_ptr<LibreOfficeBackend> mBackend;
    QList<std::shared_ptr<ModelDocument>> mOpened;
    bool mQuit = false;
    bool mOpenedAny = false;
};
