#pragma once

#include <QDate>

#include <functional>

/// Today's date, from the system unless a test pinned it.
class Clock
{
public:
    static QDate today();
    /// Pins today's date to what \a today returns; an empty function restores the system clock.
    static void pin(std::function<QDate()> today);
};
