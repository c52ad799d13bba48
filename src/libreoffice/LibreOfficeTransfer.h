#pragma once

#include <QStringList>

#include <com/sun/star/datatransfer/XTransferable.hpp>

#include <memory>

class LibreOfficeSession;

/// A copy made in the office, held on the program's clipboard: the office's own transfer object,
/// so the desktop clipboard is never involved. It can be pasted any number of times, into the
/// office that made it only.
class LibreOfficeTransfer final
{
public:
    /// The text of a whole table that was copied: its cells' names and texts, in the office's order.
    struct TableText
    {
        QStringList cellNames;
        QStringList cellTexts;
    };

    /// Puts \a transferable, made by the office of \a session, on the program's clipboard; \a table
    /// is the copied table's text when the copy was one whole table.
    static void put(const css::uno::Reference<css::datatransfer::XTransferable> &transferable,
                    const std::shared_ptr<LibreOfficeSession> &session, const TableText &table = {});
    /// The copied table's text that goes with what take() gives; empty when the copy was not one table.
    static TableText tableText(const LibreOfficeSession &session);
    /// What the program's clipboard holds for the office of \a session; an empty reference when
    /// it holds nothing, something else, or a copy from an office that is gone.
    static css::uno::Reference<css::datatransfer::XTransferable> take(const LibreOfficeSession &session);
    /// Removes a copy of ours from the program's clipboard; a picture or anything else stays.
    static void clear() noexcept;
};
