#pragma once

#include "WordAutomation.h"

/// A word processor that starts and quits and can do nothing else: enough for the start-up check,
/// so the main window loads without an office.
class QuietWordApplication final : public WordApplication
{
public:
    std::shared_ptr<WordDocuments> Documents() override { throw AutomationError(QStringLiteral("Not available")); }
    std::shared_ptr<WordDocument> ActiveDocument() override { throw AutomationError(QStringLiteral("Not available")); }
    void setDisplayAlerts(bool) override {}
    void Quit() override {}

    /// Makes every new word processor instance a quiet one.
    static void install()
    {
        SetWordApplicationFactory([] { return std::make_unique<QuietWordApplication>(); });
    }
};
