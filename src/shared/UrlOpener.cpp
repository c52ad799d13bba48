#include "UrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

namespace {
class DesktopUrlOpener final : public UrlOpener
{
public:
    void open(const QUrl &url) override { QDesktopServices::openUrl(url); }
};

UrlOpener *gInstalled = nullptr;
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
