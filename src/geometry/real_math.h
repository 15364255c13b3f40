// The real-number conventions of all shape geometry: truncation toward zero and the two
// constants every angle conversion uses.
#pragma once

#include <climits>
#include <cmath>

// Angles turn into radians as tenths x kTwoPi / 3600; these exact constants, not M_PI, keep
// every truncated coordinate where drawings made by earlier versions put it.
constexpr double kPi = 3.1415926535;
constexpr double kTwoPi = 6.283185307;

// Real to integer, truncating toward zero. Values that are not numbers (a square root of a
// negative number, a division by zero in damaged data) give 0 and values beyond the int
// range are clamped, so no conversion is ever undefined.
inline int TruncReal(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return INT_MAX;
    if (v <= -2147483648.0)
        return INT_MIN;
    return static_cast<int>(v);
}

// Square root that treats a negative argument (a rounding step below 0) as 0.
inline double RootOrZero(double v)
{
    return v > 0.0 ? std::sqrt(v) : 0.0;
}
