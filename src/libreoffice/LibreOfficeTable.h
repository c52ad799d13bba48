#pragma once

#include "LibreOfficeTransfer.h"
#include "WordAutomation.h"

#include <QString>

#include <com/sun/star/text/XTextTable.hpp>

#include <memory>

class LibreOfficeDocument;

/// The names and texts of every cell of \a table, as the literal fill reads them. Talks to the
/// office; call inside officeCall.
LibreOfficeTransfer::TableText readTableText(const css::uno::Reference<css::text::XTextTable> &table);

/// A table of a document.
class LibreOfficeTable final : public WordTable
{
public:
    LibreOfficeTable(std::shared_ptr<LibreOfficeDocument> document,
                     const css::uno::Reference<css::text::XTextTable> &table);

    /// Selects every cell, first to last: a copy of that selection holds the whole table.
    void Select() override;
    std::shared_ptr<WordRows> Rows() override;
    void FillPlaceholder(const QString &placeholder, const QString &value) override;

private:
    std::shared_ptr<LibreOfficeDocument> mDocument;
    css::uno::Reference<css::text::XTextTable> mTable;
    /// The table's name in the document, asked once: every fill of the table needs it.
    QString mName;
};
