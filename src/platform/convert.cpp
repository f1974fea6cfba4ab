#include "platform/convert.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string_view>

#include "platform/fatal.h"
#include "platform/text.h"

namespace dida {
namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipBlanks(std::string_view s, std::size_t pos) {
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    return pos;
}

// The C library's leading-integer rule: blanks, one sign, digits; an overflow saturates.
std::int64_t ParseLeadingInteger(std::string_view s) {
    std::size_t pos = SkipBlanks(s, 0);
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) negative = s[pos++] == '-';
    // Accumulate negatively so that the most negative value needs no special case.
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    bool overflow = false;
    for (; pos < s.size() && IsDigit(s[pos]); ++pos) {
        const int digit = s[pos] - '0';
        if (value < (kMin + digit) / 10) {
            overflow = true;
        } else if (!overflow) {
            value = value * 10 - digit;
        }
    }
    if (overflow) return negative ? kMin : std::numeric_limits<std::int64_t>::max();
    if (negative) return value;
    return value == kMin ? std::numeric_limits<std::int64_t>::max() : -value;
}

// The C library's leading-number rule: blanks, sign, digits, point, exponent; no hexadecimal, no "inf"
// or "nan" (the program only ever meant decimal digits).
double ParseLeadingNumber(std::string_view s) {
    std::size_t pos = SkipBlanks(s, 0);
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) negative = s[pos++] == '-';
    const std::size_t start = pos;
    std::size_t mantissaDigits = 0;
    long long firstSignificant = 0;  // decimal position of the first non-zero digit, to judge an overflow
    bool seenSignificant = false;
    long long position = 0;
    for (; pos < s.size() && IsDigit(s[pos]); ++pos, ++mantissaDigits, ++position)
        if (!seenSignificant && s[pos] != '0') {
            seenSignificant = true;
            firstSignificant = position;
        }
    const long long integerDigits = position;
    if (pos < s.size() && s[pos] == '.') {
        ++pos;
        for (; pos < s.size() && IsDigit(s[pos]); ++pos, ++mantissaDigits, ++position)
            if (!seenSignificant && s[pos] != '0') {
                seenSignificant = true;
                firstSignificant = position;
            }
    }
    if (mantissaDigits == 0) return 0.0;
    std::size_t end = pos;
    long long exponent = 0;
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
        std::size_t p = pos + 1;
        bool expNegative = false;
        if (p < s.size() && (s[p] == '+' || s[p] == '-')) expNegative = s[p++] == '-';
        if (p < s.size() && IsDigit(s[p])) {
            for (; p < s.size() && IsDigit(s[p]); ++p)
                if (exponent < 1000000) exponent = exponent * 10 + (s[p] - '0');
            if (expNegative) exponent = -exponent;
            end = p;
        }
    }
    const std::string_view number = s.substr(start, end - start);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large gives the infinity and too small zero, as the C library does.
        const long long magnitude = integerDigits - firstSignificant - 1 + exponent;
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::int32_t SaturateToInt32(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

std::string Format(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

}  // namespace

std::string ToText(std::int32_t v) { return std::to_string(v); }
std::string ToText(std::int64_t v) { return std::to_string(v); }
std::string ToText(double v) { return Format("%.13g", v); }
std::string ToTextSingle(float v) { return Format("%.6g", static_cast<double>(v)); }
std::string ToText(bool v) { return v ? "真" : "假"; }

double ToNumber(const std::string& text) { return ParseLeadingNumber(FoldFullWidth(text)); }

std::int32_t ToInteger(const std::string& text) { return SaturateToInt32(ParseLeadingInteger(FoldFullWidth(text))); }

std::int32_t ToInteger(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483648.0) return std::numeric_limits<std::int32_t>::max();
    if (v <= -2147483649.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);  // the cast truncates toward zero
}

std::int32_t ToInteger(std::int64_t v) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

double Remainder(double a, std::initializer_list<double> divisors) {
    for (double b : divisors) {
        if (b == 0.0) FatalError(kErrRemainderByZero);
        // fmod is exact and keeps the dividend's sign, which is what a - b * trunc(a / b) means.
        a = std::fmod(a, b);
    }
    return a;
}

std::int64_t LeadingInteger(const std::string& text) { return ParseLeadingInteger(text); }
double LeadingNumber(const std::string& text) { return ParseLeadingNumber(text); }

}  // namespace dida
