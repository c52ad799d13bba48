#include "Failure.h"

Failure::Failure(const QString &description)
    : std::runtime_error(description.toStdString())
    , mDescription(description)
{}
