#pragma once

#include <memory>

/// Which characters the installed fonts can draw: what the word processor has to print a receipt's text
/// with. The system's answer comes from fontconfig, which the word processor asks as well.
class FontCoverage
{
public:
    virtual ~FontCoverage() = default;

    /// True when some font has a glyph for \a character.
    virtual bool canDraw(char32_t character) const = 0;

    /// The coverage in force: the one a test installed, else the fonts installed now (read afresh, so
    /// that fonts installed while the program runs count).
    static std::shared_ptr<const FontCoverage> current();
    /// Installs \a coverage (not owned) in place of the system's; nullptr restores the system's.
    static void install(const FontCoverage *coverage);
};

/// The fonts that fontconfig knows: every character of any of them.
class SystemFontCoverage final : public FontCoverage
{
public:
    SystemFontCoverage();
    ~SystemFontCoverage() override;
    SystemFontCoverage(const SystemFontCoverage &) = delete;
    SystemFontCoverage &operator=(const SystemFontCoverage &) = delete;

    bool canDraw(char32_t character) const override;

private:
    struct Characters;
    std::unique_ptr<Characters> mCharacters;
};
