#include "util/Sp_Procs.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace tarvo {
namespace {

constexpr const char* NotConvertibleText =
    "Не удалось преобразовать число в строку текста. Возможно, число слишком длинное или "
    "содержит неопределёное значение.";
constexpr const char* ConversionFailedText =
    "Сбой при попытке преобразовать числовое значение в строку текста";

constexpr int MaxSignificantDigits = 18;
constexpr int MaxDecimals = 9999;
constexpr int MaxExponent = 9999;

// Every finite long double, denormals included, has its decimal exponent inside
// -9999..9999, so only NaN and the infinities make a value unconvertible.
using TLimits = std::numeric_limits<long double>;
static_assert(TLimits::max_exponent10 + 1 < MaxExponent &&
              TLimits::min_exponent10 - TLimits::max_digits10 > -MaxExponent);

// value = 0.Digits x 10^Exponent; no trailing zeros, no digits for zero.
struct TDecimal {
    std::string Digits;
    int Exponent = 0;
};

// The magnitude (finite, not negative) with at most 18 significant digits, then rounded on
// those digits to decimals places with halves away from zero.
TDecimal toDecimal(long double magnitude, int decimals) {
    TDecimal d;
    if (magnitude == 0) return d;
    // to_chars rounds correctly to 18 significant digits and ignores the locale:
    // "d.ddddddddddddddddde+x".
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                         std::chars_format::scientific, MaxSignificantDigits - 1);
    if (ec != std::errc()) throw std::runtime_error("number conversion");
    const std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    const std::size_t e = text.find('e');
    if (e == std::string_view::npos || e < 2) throw std::runtime_error("number conversion");
    d.Digits.reserve(e - 1);
    d.Digits.push_back(text[0]);
    for (std::size_t i = 2; i < e; ++i)
        d.Digits.push_back(text[i]);
    // The exponent ends where to_chars stopped writing; the buffer holds no terminator.
    int exponent = 0;
    const char* const exponentText = text.data() + e + 1 + (text[e + 1] == '+' ? 1 : 0);
    if (std::from_chars(exponentText, end, exponent).ec != std::errc())
        throw std::runtime_error("number conversion");
    d.Exponent = exponent + 1;

    const long long keep = static_cast<long long>(d.Exponent) + decimals;
    if (keep < static_cast<long long>(d.Digits.size())) {
        const bool roundUp = keep >= 0 && d.Digits[static_cast<std::size_t>(keep)] >= '5';
        d.Digits.resize(static_cast<std::size_t>(std::max(keep, 0LL)));
        if (roundUp) {
            while (!d.Digits.empty() && d.Digits.back() == '9')
                d.Digits.pop_back();
            if (d.Digits.empty()) {
                d.Digits.assign(1, '1');
                ++d.Exponent;
            } else {
                ++d.Digits.back();
            }
        }
    }
    while (!d.Digits.empty() && d.Digits.back() == '0')
        d.Digits.pop_back();
    return d;
}

// Built by appending: gcc 12 warns falsely (-Wrestrict) on operator+ chains of strings.
std::string fixedText(const TDecimal& d) {
    std::string out;
    if (d.Digits.empty()) return out.append("0");
    const auto count = static_cast<long long>(d.Digits.size());
    if (d.Exponent <= 0)
        return out.append("0.").append(static_cast<std::size_t>(-d.Exponent), '0').append(d.Digits);
    if (count <= d.Exponent)
        return out.append(d.Digits).append(static_cast<std::size_t>(d.Exponent - count), '0');
    const auto point = static_cast<std::size_t>(d.Exponent);
    std::string_view digits(d.Digits);
    return out.append(digits.substr(0, point)).append(".").append(digits.substr(point));
}

} // namespace

TFormatResult FormatNumber(long double value, int minDigits, int decimals) {
    try {
        if (!std::isfinite(value)) return {false, NotConvertibleText};
        if (decimals < 0 || decimals > MaxDecimals) decimals = MaxDecimals;
        const std::string digits = fixedText(toDecimal(std::fabs(value), decimals));
        const std::size_t sign = value < 0 && digits != "0" ? 1 : 0;
        std::string text(sign, '-');
        text.append(digits);
        const std::size_t integerDigits = std::min(text.find('.'), text.size()) - sign;
        if (minDigits > 0 && integerDigits < static_cast<std::size_t>(minDigits))
            text.insert(sign, static_cast<std::size_t>(minDigits) - integerDigits, '0');
        return {true, text};
    } catch (const std::exception&) {
        return {false, ConversionFailedText};
    }
}

std::string FormatSize(std::int64_t size, int decimals) {
    struct TUnit {
        std::int64_t Divisor;
        const char* Text;
    };
    static constexpr TUnit units[] = {
        {std::int64_t{1} << 30, " Гб"}, {std::int64_t{1} << 20, " Мб"}, {1024, " Кб"}};
    for (const TUnit& unit : units) {
        if (size >= unit.Divisor) {
            const TFormatResult number = FormatNumber(static_cast<long double>(size) /
                                                          static_cast<long double>(unit.Divisor),
                                                      0, decimals);
            return number.Ok ? number.Text + unit.Text : number.Text;
        }
    }
    return std::to_string(size) + " байт";
}

} // namespace tarvo
