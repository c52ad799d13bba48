#include "Rounding.h"

#include "Failure.h"

#include <QString>

#include <cmath>
#include <limits>

namespace {
template<typename T>
T checkedWhole(double whole)
{
    // NaN fails both comparisons and so counts as an overflow too.
    if (!(whole >= double(std::numeric_limits<T>::min()) && whole <= double(std::numeric_limits<T>::max())))
        throw Failure(QStringLiteral("Overflow"));
    return static_cast<T>(whole);
}
} // namespace

double RoundHalfEven(double value)
{
    if (!std::isfinite(value))
        return value;
    const double lower = std::floor(value);
    const double fraction = value - lower;
    if (fraction < 0.5)
        return lower;
    if (fraction > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

std::int32_t ToInt32(double value)
{
    return checkedWhole<std::int32_t>(RoundHalfEven(value));
}

std::int16_t ToInt16(double value)
{
    return checkedWhole<std::int16_t>(RoundHalfEven(value));
}

std::int32_t FloorToInt32(double value)
{
    return checkedWhole<std::int32_t>(std::floor(value));
}
