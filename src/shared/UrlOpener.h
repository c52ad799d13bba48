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
