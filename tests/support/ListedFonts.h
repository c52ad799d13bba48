#pragma once

#include "FontCoverage.h"

#include <QList>
#include <QPair>

/// Stands in for the installed fonts: each font a range of characters it draws. Installs itself in
/// place of the system's for its lifetime.
class ListedFonts final : public FontCoverage
{
public:
    explicit ListedFonts(QList<QPair<char32_t, char32_t>> ranges)
        : mRanges(std::move(ranges))
    {
        FontCoverage::install(this);
    }
    ~ListedFonts() override { FontCoverage::install(nullptr); }
    ListedFonts(const ListedFonts &) = delete;
    ListedFonts &operator=(const ListedFonts &) = delete;

    bool canDraw(char32_t character) const override
    {
        for (const auto &[first, last] : mRanges) {
            if (character >= first && character <= last)
                return true;
        }
        return false;
    }

private:
    QList<QPair<char32_t, char32_t>> mRanges;
};
