#pragma once

// What the window benches share: a main window that starts without an office or a browser, and the
// minimum and median of repeated timings.

#include "UrlOpener.h"
#include "WordAutomation.h"

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

// Enough of a word processor for the window's start-up check; a window bench never generates.
class IdleWordApplication final : public WordApplication
{
public:
    std::shared_ptr<WordDocuments> Documents() override { throw AutomationError(QStringLiteral("Not available")); }
    std::shared_ptr<WordDocument> ActiveDocument() override { throw AutomationError(QStringLiteral("Not available")); }
    void setDisplayAlerts(bool) override {}
    void Quit() override {}
};

// The window's start-up opens the maker's page now and then; a bench run opens no browser.
class NoBrowser final : public UrlOpener
{
public:
    void open(const QUrl &) override {}
};

/// The main window's surroundings for a window bench: an idle word processor and no browser.
class IdleWindowSetUp final
{
public:
    IdleWindowSetUp()
    {
        SetWordApplicationFactory([] { return std::make_unique<IdleWordApplication>(); });
        UrlOpener::install(&mNoBrowser);
    }
    ~IdleWindowSetUp() { UrlOpener::install(nullptr); }
    IdleWindowSetUp(const IdleWindowSetUp &) = delete;
    IdleWindowSetUp &operator=(const IdleWindowSetUp &) = delete;

private:
    NoBrowser mNoBrowser;
};

inline double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

struct Figures
{
    double min = 0;
    double median = 0;
    double max = 0;
};

inline Figures summary(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2], times.back()};
}

/// Times \a work \a rounds times, each after an untimed \a prepare.
inline Figures measure(int rounds, const std::function<void()> &prepare, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(elapsedMs(timer));
    }
    return summary(std::move(times));
}
