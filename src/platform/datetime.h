#pragma once
// Date-times as days since 1899-12-30 00:00 (the OLE Automation date), with the calendar rules the
// logic relies on.
#include <string>

namespace dida {

using DateTime = double;

inline constexpr DateTime kMinDateTime = -657434.0;  // 100-01-01 00:00:00, also the parse failure value
inline constexpr DateTime kMaxDateTime = 2958465.0;  // 9999-12-31 00:00:00

struct DateFields {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
    bool operator==(const DateFields&) const = default;
};

// Clamp to the range, take to the nearest second (half away from zero), split (proleptic Gregorian).
DateFields SplitDateTime(DateTime t);
// The date-time of fields that are already valid.
DateTime MakeDateTime(const DateFields& f);
// Clamp fields as AddToDateTime does: year 100..9999, month 1..12, day 1..31 then to the month's
// length, hour 0..23, minute and second 0..59.
DateFields ClampFields(DateFields f);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

int YearOf(DateTime t);
int MonthOf(DateTime t);
int DayOf(DateTime t);
int HourOf(DateTime t);
int MinuteOf(DateTime t);
int SecondOf(DateTime t);

// Units: 1 year, 2 quarter, 3 month, 4 week, 5 day, 6 hour, 7 minute, 8 second (clamped to 1..8).
DateTime AddToDateTime(DateTime t, int unit, int amount);
// Formats: 1 date with the time part when not midnight, 2 date only, 3 time only (clamped to 1..3).
std::string DateTimeToText(DateTime t, int format = 1);
// Parses the program's date-time texts; failure gives kMinDateTime.
DateTime ToDateTime(const std::string& text);

// Local calendar time of a count of seconds since 1970-01-01 00:00 (no time zone applied).
DateTime DateTimeFromUnixSeconds(long long seconds);
// Its inverse: the seconds since 1970-01-01 00:00 of a date-time's calendar fields (to the nearest second).
long long UnixSecondsOf(DateTime t);

}  // namespace dida
