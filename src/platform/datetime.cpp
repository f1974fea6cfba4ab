#include "platform/datetime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "platform/text.h"

namespace dida {
namespace {

constexpr long long kSecondsPerDay = 86400;
// Days from 1970-01-01 to the day-count origin 1899-12-30.
constexpr long long kUnixEpochDay = 25569;

// Days since 1970-01-01 of a proleptic Gregorian date (the civil-from-days algorithm run backwards).
long long DaysFromCivil(long long y, long long m, long long d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// Before the origin the day count runs backwards but its fraction still counts the time of day forwards
// (-1.25 is 1899-12-29 06:00). Arithmetic is done on a straight line and converted back.
double ToLinear(DateTime t) {
    if (t >= 0) return t;
    const double day = std::ceil(t);
    return day - (t - day);
}

DateTime FromLinear(double x) {
    if (x >= 0) return x;
    const double day = std::floor(x);
    return day + (day - x);
}

DateTime FromDaysAndSeconds(long long day, long long secondOfDay) {
    const double fraction = static_cast<double>(secondOfDay) / kSecondsPerDay;
    const double d = static_cast<double>(day);
    return day >= 0 ? d + fraction : d - fraction;
}

DateTime ClampToRange(DateTime t) {
    if (std::isnan(t)) return kMinDateTime;
    return std::clamp(t, kMinDateTime, kMaxDateTime);
}

long long FloorDiv(long long a, long long b) {
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

// Fields whose year may be out of the int range before clamping.
DateFields ClampWideYear(long long year, const DateFields& rest) {
    DateFields f = rest;
    f.year = static_cast<int>(std::clamp<long long>(year, 100, 9999));
    return ClampFields(f);
}

bool ConsumeSeparator(std::string_view s, std::size_t& pos, std::string_view word, std::string_view chars) {
    if (s.substr(pos, word.size()) == word) {
        pos += word.size();
        return true;
    }
    if (pos < s.size() && chars.find(s[pos]) != std::string_view::npos) {
        ++pos;
        return true;
    }
    return false;
}

int ReadDigits(std::string_view s, std::size_t& pos, int maxDigits) {
    int value = 0;
    for (int n = 0; n < maxDigits && pos < s.size() && s[pos] >= '0' && s[pos] <= '9'; ++n, ++pos)
        value = value * 10 + (s[pos] - '0');
    return value;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 31;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

DateFields SplitDateTime(DateTime t) {
    // Half a second away from zero on the straight line, so 23:59:59.6 is the next day's midnight.
    const long long seconds = std::llround(ToLinear(ClampToRange(t)) * kSecondsPerDay);
    const long long day = FloorDiv(seconds, kSecondsPerDay);
    const long long secondOfDay = seconds - day * kSecondsPerDay;
    DateFields f;
    CivilFromDays(day - kUnixEpochDay, f.year, f.month, f.day);
    f.hour = static_cast<int>(secondOfDay / 3600);
    f.minute = static_cast<int>(secondOfDay / 60 % 60);
    f.second = static_cast<int>(secondOfDay % 60);
    return f;
}

DateTime MakeDateTime(const DateFields& f) {
    const long long day = DaysFromCivil(f.year, f.month, f.day) + kUnixEpochDay;
    return FromDaysAndSeconds(day, f.hour * 3600LL + f.minute * 60LL + f.second);
}

DateFields ClampFields(DateFields f) {
    f.year = std::clamp(f.year, 100, 9999);
    f.month = std::clamp(f.month, 1, 12);
    f.day = std::clamp(f.day, 1, DaysInMonth(f.year, f.month));
    f.hour = std::clamp(f.hour, 0, 23);
    f.minute = std::clamp(f.minute, 0, 59);
    f.second = std::clamp(f.second, 0, 59);
    return f;
}

int YearOf(DateTime t) { return SplitDateTime(t).year; }
int MonthOf(DateTime t) { return SplitDateTime(t).month; }
int DayOf(DateTime t) { return SplitDateTime(t).day; }
int HourOf(DateTime t) { return SplitDateTime(t).hour; }
int MinuteOf(DateTime t) { return SplitDateTime(t).minute; }
int SecondOf(DateTime t) { return SplitDateTime(t).second; }

DateTime AddToDateTime(DateTime t, int unit, int amount) {
    if (amount == 0) return t;
    unit = std::clamp(unit, 1, 8);
    if (unit <= 3) {
        const DateFields f = SplitDateTime(t);
        long long year = f.year;
        long long months = amount;
        if (unit == 1) {
            year += amount;
            months = 0;
        } else if (unit == 2) {
            months *= 3;
        }
        const long long monthIndex = f.month - 1 + months;
        year += FloorDiv(monthIndex, 12);
        DateFields rest = f;
        rest.month = static_cast<int>(monthIndex - FloorDiv(monthIndex, 12) * 12) + 1;
        return MakeDateTime(ClampWideYear(year, rest));
    }
    static constexpr long long kUnitSeconds[] = {7 * kSecondsPerDay, kSecondsPerDay, 3600, 60, 1};
    const double span = static_cast<double>(amount * kUnitSeconds[unit - 4]) / kSecondsPerDay;
    return FromLinear(ToLinear(t) + span);
}

std::string DateTimeToText(DateTime t, int format) {
    format = std::clamp(format, 1, 3);
    const DateFields f = SplitDateTime(t);
    char buf[96];
    if (format == 3) {
        std::snprintf(buf, sizeof buf, "%d时%d分%d秒", f.hour, f.minute, f.second);
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%d年%d月%d日", f.year, f.month, f.day);
    std::string text = buf;
    if (format == 1) {
        if (f.second != 0) {
            std::snprintf(buf, sizeof buf, "%d时%d分%d秒", f.hour, f.minute, f.second);
            text += buf;
        } else if (f.minute != 0) {
            std::snprintf(buf, sizeof buf, "%d时%d分", f.hour, f.minute);
            text += buf;
        } else if (f.hour != 0) {
            std::snprintf(buf, sizeof buf, "%d时", f.hour);
            text += buf;
        }
    }
    return text;
}

DateTime ToDateTime(const std::string& text) {
    const std::string folded = FoldFullWidth(text);
    if (folded.empty()) return kMinDateTime;
    const std::string_view s = folded;
    std::size_t pos = 0;
    DateFields f;
    f.year = ReadDigits(s, pos, 4);
    ConsumeSeparator(s, pos, "年", "-./:");
    f.month = ReadDigits(s, pos, 2);
    ConsumeSeparator(s, pos, "月", "-./:");
    f.day = ReadDigits(s, pos, 2);
    ConsumeSeparator(s, pos, "日", " -./:");
    f.hour = ReadDigits(s, pos, 2);
    ConsumeSeparator(s, pos, "时", "-./:");
    f.minute = ReadDigits(s, pos, 2);
    ConsumeSeparator(s, pos, "分", "-./:");
    f.second = ReadDigits(s, pos, 2);
    if (pos != s.size() && s.substr(pos, std::string_view("秒").size()) != "秒") return kMinDateTime;
    // A field the clamp had to move was not a real date (February 30, hour 24, year 99 ...).
    if (ClampFields(f) != f) return kMinDateTime;
    return MakeDateTime(f);
}

DateTime DateTimeFromUnixSeconds(long long seconds) {
    const long long day = FloorDiv(seconds, kSecondsPerDay);
    return FromDaysAndSeconds(day + kUnixEpochDay, seconds - day * kSecondsPerDay);
}

long long UnixSecondsOf(DateTime t) {
    const DateFields f = SplitDateTime(t);
    return DaysFromCivil(f.year, f.month, f.day) * kSecondsPerDay + f.hour * 3600LL + f.minute * 60LL + f.second;
}

}  // namespace dida
