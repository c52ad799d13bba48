#pragma once

#include <QString>

#include <stdexcept>

/// An operation that failed, with the description the error report shows.
class Failure : public std::runtime_error
{
public:
    explicit Failure(const QString &description);

    QString description() const { return mDescription; }

private:
    QString mDescription;
};
