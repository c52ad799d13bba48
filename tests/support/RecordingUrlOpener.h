#pragma once

#include "UrlOpener.h"

#include <QList>
#include <QUrl>

/// Records the pages the program would open, instead of opening a browser. Installs itself for its lifetime.
class RecordingUrlOpener final : public UrlOpener
{
public:
    RecordingUrlOpener() { UrlOpener::install(this); }
    ~RecordingUrlOpener() override { UrlOpener::install(nullptr); }
    RecordingUrlOpener(const RecordingUrlOpener &) = delete;
    RecordingUrlOpener &operator=(const RecordingUrlOpener &) = delete;

    void open(const QUrl &url) override { opened.append(url); }

    QList<QUrl> opened;
};
