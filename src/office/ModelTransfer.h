#pragma once

#include "OdfDocument.h"

#include <memory>

/// A copy held on the program's clipboard: content copied from a document, which any document can
/// paste any number of times. The desktop clipboard is never involved.
class ModelTransfer final
{
public:
    /// Puts \a fragment on the program's clipboard, in place of what it held.
    static void put(std::shared_ptr<const OdfDocument::Fragment> fragment);
    /// What the program's clipboard holds of ours; null when it holds nothing or something else.
    static std::shared_ptr<const OdfDocument::Fragment> take();
    /// Removes a copy of ours from the program's clipboard; a picture or anything else stays.
    static void clear() noexcept;
};
