#pragma once

#include "WordAutomation.h"

#include <memory>

class ModelDocument;

/// A document's (hidden) window.
class ModelWindow final : public WordWindow
{
public:
    explicit ModelWindow(std::shared_ptr<ModelDocument> document);

    std::shared_ptr<WordSelection> Selection() override;

private:
    std::shared_ptr<ModelDocument> mDocument;
};
