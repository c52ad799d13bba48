#pragma once

#include "ReceiptTemplate.h"

#include <QString>

#include <optional>

/// Which template the window's runs fill, remembered from one run of the program to the next: a file
/// of the user's own, or the built-in template on the paper of the user's country or on the paper they
/// chose.
class TemplateChoice final
{
public:
    /// The choice remembered in the settings (OpenSettings()); the built-in template on the country's
    /// paper when nothing is remembered.
    static TemplateChoice load();
    /// Remembers the choice. Throws Failure when the settings cannot be written.
    void save() const;

    /// The user's template file; empty for the built-in template.
    QString userTemplate() const { return mUserTemplate; }
    void setUserTemplate(const QString &path) { mUserTemplate = path; }
    bool usesBuiltIn() const { return mUserTemplate.isEmpty(); }

    /// The paper chosen for the built-in template; none: the paper of the user's country.
    std::optional<Paper> chosenPaper() const { return mPaper; }
    void setChosenPaper(std::optional<Paper> paper) { mPaper = paper; }
    /// The paper the built-in template is laid out on.
    Paper builtInPaper() const { return mPaper.value_or(LocalPaper()); }

    /// What the template is called in the window: the file's name, or "Built-in (A4)".
    QString describe() const;

private:
    QString mUserTemplate;
    std::optional<Paper> mPaper;
};
