#pragma once

#include "LibreOfficeFillTracker.h"
#include "WordAutomation.h"

#include <QString>

#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextTable.hpp>

#include <map>
#include <memory>

class LibreOfficeSession;

/// An open Writer document, hidden. The objects reached from it (tables, window, selection, find,
/// range) hold on to it and fail with a description once it is closed.
class LibreOfficeDocument final : public WordDocument, public std::enable_shared_from_this<LibreOfficeDocument>
{
public:
    /// What the literal fill keeps for one table between calls.
    struct TableFill
    {
        LibreOfficeFillTracker tracker;
        quint64 revision = 0;
        std::map<QString, css::uno::Reference<css::text::XText>> cells;
    };

    LibreOfficeDocument(std::shared_ptr<LibreOfficeSession> session,
                        const css::uno::Reference<css::lang::XComponent> &component, const QString &source);

    std::shared_ptr<WordTables> Tables() override;
    std::shared_ptr<WordWindow> ActiveWindow() override;
    std::shared_ptr<WordRange> Range() override;
    /// Writes the document to a new file beside \a fileName and puts it in place only when it is
    /// complete, so a failure leaves no partial file and any earlier file as it was.
    void SaveAs(const QString &fileName) override;
    void Close() override;
    /// wdDoNotSaveChanges closes unsaved; wdSaveChanges saves to the file the document came from.
    void Close(int saveChanges) override;

    bool isOpen() const { return mOpen; }
    /// Closes unsaved, ignoring every failure.
    void closeQuietly() noexcept;
    /// Throws AutomationError when the document is closed.
    void ensureOpen() const;

    LibreOfficeSession &session() const { return *mSession; }
    const std::shared_ptr<LibreOfficeSession> &sharedSession() const { return mSession; }
    css::uno::Reference<css::text::XTextDocument> model() const { return mModel; }
    css::uno::Reference<css::frame::XController> controller() const;

    /// Counts changes other than literal fills, after which a fill reads its table anew.
    void touch() { ++mRevision; }
    quint64 revision() const { return mRevision; }
    TableFill &tableFill(const QString &tableName) { return mFills[tableName]; }
    /// The table that is selected as a whole, for a copy to know what it holds; empty otherwise.
    css::uno::Reference<css::text::XTextTable> selectedTable() const { return mSelectedTable; }
    void setSelectedTable(const css::uno::Reference<css::text::XTextTable> &table) { mSelectedTable = table; }

private:
    std::shared_ptr<LibreOfficeSession> mSession;
    css::uno::Reference<css::text::XTextDocument> mModel;
    QString mSource;
    bool mOpen = true;
    quint64 mRevision = 1;
    std::map<QString, TableFill> mFills;
    css::uno::Reference<css::text::XTextTable> mSelectedTable;
};
