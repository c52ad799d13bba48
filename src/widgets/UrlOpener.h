#pragma once

class QUrl;

/// Opens web pages in the user's browser; tests install their own to see what would open.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    virtual void open(const QUrl &url) = 0;

    static UrlOpener &current();
    /// Installs \a opener (not owned); nullptr restores the desktop's browser.
    static void install(UrlOpener *opener);
};

/// On one start in a hundred, opens the maker's home page.
void OpenHomePageAtRandom();
/// Opens the home page when \a draw (1 to 100) is the lucky number.
void OpenHomePageIfDrawn(int draw);
