#pragma once
// Value conversions between texts and numbers. Every float → integer conversion truncates toward zero.
#include <cstdint>
#include <initializer_list>
#include <string>

namespace dida {

std::string ToText(std::int32_t v);
std::string ToText(std::int64_t v);
std::string ToText(double v);       // 13 significant digits, whole numbers without a point
std::string ToTextSingle(float v);  // 6 significant digits
std::string ToText(bool v);         // "真" / "假"
inline std::string ToText(const std::string& v) { return v; }
inline std::string ToText(const char* v) { return v; }

double ToNumber(const std::string& text);  // full-width folded, leading decimal number, else 0
// A literal would otherwise convert to bool before it converts to a string.
inline double ToNumber(const char* text) { return ToNumber(std::string(text)); }
inline double ToNumber(double v) { return v; }
inline double ToNumber(bool v) { return v ? 1.0 : 0.0; }

std::int32_t ToInteger(const std::string& text);  // full-width folded, leading integer, else 0
inline std::int32_t ToInteger(const char* text) { return ToInteger(std::string(text)); }
std::int32_t ToInteger(double v);        // truncated toward zero (saturating at the range)
std::int32_t ToInteger(std::int64_t v);  // the low 32 bits
inline std::int32_t ToInteger(bool v) { return v ? 1 : 0; }

// a mod b mod c …: truncated remainders; a divisor of 0 is the fatal error "不能求余数于零".
double Remainder(double a, std::initializer_list<double> divisors);
inline double Remainder(double a, double b) { return Remainder(a, {b}); }

// Decimal conversions of a leading part as the input box stores them (no full-width folding).
std::int64_t LeadingInteger(const std::string& text);
double LeadingNumber(const std::string& text);

}  // namespace dida
