#pragma once

#include "WordAutomation.h"

#include <memory>

class LibreOfficeDocument;

/// The tables of a document's main text, in document order.
class LibreOfficeTables final : public WordTables
{
public:
    explicit LibreOfficeTables(std::shared_ptr<LibreOfficeDocument> document);

    int Count() override;
    std::shared_ptr<WordTable> Item(int n) override;

private:
    std::shared_ptr<LibreOfficeDocument> mDocument;
};
