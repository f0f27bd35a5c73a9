// Number and size formatting for the display and the folder report, with the
// Russian unit names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvo {

struct TFormatResult {
    bool Ok = false;
    std::string Text; // the number, or the error text when Ok is false
};

// The value with at most 18 significant digits, rounded to decimals places with halves away
// from zero (decimals below 0 or above 9999 mean 9999), "." as separator, no trailing zeros,
// the integer part zero-padded to minDigits. Not Ok for NaN and infinities.
TFormatResult FormatNumber(long double value, int minDigits, int decimals);
// Below 1024 (negative sizes too) the integer and " байт"; otherwise kilo-, mega- or
// gigabytes with up to decimals places and " Кб", " Мб" or " Гб".
std::string FormatSize(std::int64_t size, int decimals);

} // namespace tarvo
