#include "UrlOpener.h"

#include "Program.h"

#include <QDesktopServices>
#include <QRandomGenerator>
#include <QUrl>

namespace {
class DesktopUrlOpener final : public UrlOpener
{
public:
    void open(const QUrl &url) override { QDesktopServices::openUrl(url); }
};

UrlOpener *gInstalled = nullptr;

constexpr int kHomePageNumber = 7;
} // namespace

UrlOpener &UrlOpener::current()
{
    static DesktopUrlOpener desktop;
    return gInstalled ? *gInstalled : desktop;
}

void UrlOpener::install(UrlOpener *opener)
{
    gInstalled = opener;
}

void OpenHomePageAtRandom()
{
    OpenHomePageIfDrawn(QRandomGenerator::global()->bounded(1, 101));
}

void OpenHomePageIfDrawn(int draw)
{
    if (draw == kHomePageNumber)
        UrlOpener::current().open(HomePageUrl());
}
