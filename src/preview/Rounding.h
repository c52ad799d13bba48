#pragma once

#include <cstdint>

/// The nearest whole number, a half going to the even neighbour: 0.5 gives 0, 1.5 and 2.5 give 2.
double RoundHalfEven(double value);

/// \a value, rounded half to even, as a 32-bit integer. Throws Failure("Overflow") when it does not fit.
std::int32_t ToInt32(double value);

/// \a value, rounded half to even, as a 16-bit integer. Throws Failure("Overflow") when it does not fit.
std::int16_t ToInt16(double value);

/// The largest whole number not above \a value, as a 32-bit integer. Throws Failure("Overflow") when it does
/// not fit.
std::int32_t FloorToInt32(double value);
