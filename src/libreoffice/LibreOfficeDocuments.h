#pragma once

#include "WordAutomation.h"

#include <QList>

#include <memory>

class LibreOfficeDocument;
class LibreOfficeSession;

/// The documents one instance opened, in the order they were opened.
class LibreOfficeDocuments final : public WordDocuments
{
public:
    explicit LibreOfficeDocuments(std::shared_ptr<LibreOfficeSession> session);

    /// Opens \a fileName hidden. Read-only gives an untitled copy made from the file (a template
    /// opens as a new document made from it), so the file itself is never written.
    std::shared_ptr<WordDocument> Open(const QString &fileName, bool readOnly = false) override;

    /// The document opened last that is still open; null when none is.
    std::shared_ptr<LibreOfficeDocument> active() const;
    /// Closes every document still open, unsaved. Never throws.
    void closeAll() noexcept;
    /// Closes every document; from now on nothing can be opened.
    void quit() noexcept;

private:
    std::shared_ptr<LibreOfficeSession> mSession;
    QList<std::shared_ptr<LibreOfficeDocument>> mOpened;
    bool mQuit = false;
};
