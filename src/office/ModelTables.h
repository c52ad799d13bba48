#pragma once

#include "WordAutomation.h"

#include <memory>

class ModelDocument;

/// The tables of a document's main text, in document order.
class ModelTables final : public WordTables
{
public:
    explicit ModelTables(std::shared_ptr<ModelDocument> document);

    int Count() override;
    std::shared_ptr<WordTable> Item(int n) override;

private:
    std::shared_ptr<ModelDocument> mDocument;
};
