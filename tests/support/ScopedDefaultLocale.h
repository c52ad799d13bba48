#pragma once

#include <QLocale>

/// Makes \a locale the settings that the program reads (QLocale()) while it lives, as if the user had
/// chosen them, and puts the previous ones back afterwards. Widgets made meanwhile take it up.
class ScopedDefaultLocale final
{
public:
    explicit ScopedDefaultLocale(const QLocale &locale)
        : mPrevious(QLocale())
    {
        QLocale::setDefault(locale);
    }
    ~ScopedDefaultLocale() { QLocale::setDefault(mPrevious); }
    ScopedDefaultLocale(const ScopedDefaultLocale &) = delete;
    ScopedDefaultLocale &operator=(const ScopedDefaultLocale &) = delete;

private:
    QLocale mPrevious;
};
