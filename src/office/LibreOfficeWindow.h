#pragma once

#include "WordAutomation.h"

#include <memory>

class LibreOfficeDocument;

/// A document's (hidden) window.
class LibreOfficeWindow final : public WordWindow
{
public:
    explicit LibreOfficeWindow(std::shared_ptr<LibreOfficeDocument> document);

    std::shared_ptr<WordSelection> Selection() override;

private:
    std::shared_ptr<LibreOfficeDocument> mDocument;
};
