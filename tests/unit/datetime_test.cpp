#include "platform/datetime.h"

#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace dida {
namespace {

constexpr double kSecond = 1.0 / 86400.0;

DateFields F(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) { return {y, mo, d, h, mi, s}; }

// Reference day counts of the OLE date, taken from an independent calendar library.
struct KnownDate {
    double value;
    DateFields fields;
};
const KnownDate kKnownDates[] = {
    {0.0, F(1899, 12, 30)},
    {42313.0 + 50922.0 / 86400.0, F(2015, 11, 5, 14, 8, 42)},
    {42400.0 + 10.0 / 24.0, F(2016, 1, 31, 10)},
    {36585.0, F(2000, 2, 29)},
    {60.5, F(1900, 2, 28, 12)},  // 1900 is no leap year
    {61.0, F(1900, 3, 1)},
    {25569.0, F(1970, 1, 1)},
    {42429.0 + 86399.0 / 86400.0, F(2016, 2, 29, 23, 59, 59)},
    {-657434.0, F(100, 1, 1)},
    {2958465.0, F(9999, 12, 31)},
    {-1.25, F(1899, 12, 29, 6)},  // before the origin the fraction still counts forwards
};

TEST(SplitDateTime, KnownDates) {
    for (const auto& k : kKnownDates) {
        EXPECT_EQ(SplitDateTime(k.value), k.fields) << k.value;
        EXPECT_NEAR(MakeDateTime(k.fields), k.value, 1e-9) << k.value;
    }
}

TEST(SplitDateTime, LimitsOfTheRangeAreTheDeclaredConstants) {
    EXPECT_EQ(SplitDateTime(kMinDateTime), F(100, 1, 1));
    EXPECT_EQ(SplitDateTime(kMaxDateTime), F(9999, 12, 31));
    // The day count runs backwards before 1899, so a time on the first day lies below the range.
    EXPECT_EQ(SplitDateTime(MakeDateTime(F(100, 1, 1, 12))), F(100, 1, 1));
    EXPECT_EQ(SplitDateTime(MakeDateTime(F(100, 1, 2, 12))), F(100, 1, 2, 12));
    EXPECT_EQ(SplitDateTime(MakeDateTime(F(9999, 12, 31, 0, 0, 1))), F(9999, 12, 31));
    EXPECT_EQ(SplitDateTime(MakeDateTime(F(9999, 12, 30, 23, 59, 59))), F(9999, 12, 30, 23, 59, 59));
}

TEST(SplitDateTime, RoundsToTheNearestSecond) {
    const double midnight = MakeDateTime(F(2015, 11, 5));
    struct Row {
        double t;
        DateFields expected;
    } rows[] = {
        {midnight - 0.4 * kSecond, F(2015, 11, 5)},  // less than half a second before midnight
        {midnight - 0.6 * kSecond, F(2015, 11, 4, 23, 59, 59)},
        {midnight + 0.4 * kSecond, F(2015, 11, 5)},
        {midnight + 0.6 * kSecond, F(2015, 11, 5, 0, 0, 1)},
        {midnight + (3600 + 59.7) * kSecond, F(2015, 11, 5, 1, 1, 0)},
        {MakeDateTime(F(2015, 12, 31, 23, 59, 59)) + 0.5001 * kSecond, F(2016, 1, 1)},
    };
    for (const auto& r : rows) EXPECT_EQ(SplitDateTime(r.t), r.expected) << r.t;
    EXPECT_EQ(HourOf(midnight - 0.4 * kSecond), 0);
    EXPECT_EQ(DayOf(midnight - 0.4 * kSecond), 5);
}

TEST(SplitDateTime, ClampsValuesOutsideTheRange) {
    struct Row {
        double t;
        DateFields expected;
    } rows[] = {
        {1e9, F(9999, 12, 31)},
        {kMaxDateTime + 0.75, F(9999, 12, 31)},  // the range ends at that day's midnight
        {-1e9, F(100, 1, 1)},
        {kMinDateTime - 0.5, F(100, 1, 1)},
        {std::numeric_limits<double>::infinity(), F(9999, 12, 31)},
        {-std::numeric_limits<double>::infinity(), F(100, 1, 1)},
        {std::numeric_limits<double>::quiet_NaN(), F(100, 1, 1)},
    };
    for (const auto& r : rows) EXPECT_EQ(SplitDateTime(r.t), r.expected) << r.t;
}

TEST(SplitDateTime, AccessorsReadTheFields) {
    const double t = MakeDateTime(F(2015, 11, 5, 14, 8, 42));
    EXPECT_EQ(YearOf(t), 2015);
    EXPECT_EQ(MonthOf(t), 11);
    EXPECT_EQ(DayOf(t), 5);
    EXPECT_EQ(HourOf(t), 14);
    EXPECT_EQ(MinuteOf(t), 8);
    EXPECT_EQ(SecondOf(t), 42);
}

TEST(SplitDateTime, MakeAndSplitRoundTripAcrossTheCalendar) {
    for (int year : {100, 101, 400, 1599, 1600, 1899, 1900, 1970, 2000, 2024, 2100, 9999}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= DaysInMonth(year, month); ++day) {
                // The first and the last day of the range hold only their midnight.
                if ((year == 100 && month == 1 && day == 1) || (year == 9999 && month == 12 && day == 31)) continue;
                const DateFields f = F(year, month, day, day % 24, (day * 7) % 60, (day * 13) % 60);
                ASSERT_EQ(SplitDateTime(MakeDateTime(f)), f);
            }
        }
    }
}

TEST(Calendar, LeapYearsAndMonthLengths) {
    struct Row {
        int year, month, days;
    } rows[] = {{2015, 2, 28}, {2016, 2, 29}, {1900, 2, 28},  {2000, 2, 29}, {2100, 2, 28},
                {2016, 1, 31}, {2016, 4, 30}, {2016, 12, 31}, {2016, 9, 30}};
    for (const auto& r : rows) EXPECT_EQ(DaysInMonth(r.year, r.month), r.days) << r.year << "-" << r.month;
    EXPECT_TRUE(IsLeapYear(2400));
    EXPECT_FALSE(IsLeapYear(1800));
}

TEST(ClampFields, BringsEveryFieldIntoItsRange) {
    struct Row {
        DateFields in, out;
    } rows[] = {
        {F(99, 0, 0, -1, -1, -1), F(100, 1, 1, 0, 0, 0)},
        {F(10000, 13, 32, 24, 60, 60), F(9999, 12, 31, 23, 59, 59)},
        {F(2015, 2, 30), F(2015, 2, 28)},
        {F(2016, 2, 31), F(2016, 2, 29)},
        {F(2016, 4, 31), F(2016, 4, 30)},
        {F(2016, 4, 30, 12, 30, 30), F(2016, 4, 30, 12, 30, 30)},
    };
    for (const auto& r : rows) EXPECT_EQ(ClampFields(r.in), r.out);
}

TEST(AddToDateTime, CalendarAndClockUnits) {
    struct Row {
        DateFields from;
        int unit, amount;
        DateFields expected;
    } rows[] = {
        {F(2016, 1, 31, 10), 3, 1, F(2016, 2, 29, 10)},  // Jan 31 plus a month: the month's last day
        {F(2015, 1, 31, 10), 3, 1, F(2015, 2, 28, 10)},
        {F(2016, 1, 15), 3, -1, F(2015, 12, 15)},
        {F(2016, 1, 15), 3, -13, F(2014, 12, 15)},
        {F(2016, 1, 15), 3, 24, F(2018, 1, 15)},
        {F(2016, 12, 15), 3, 1, F(2017, 1, 15)},
        {F(2016, 2, 29), 1, 1, F(2017, 2, 28)},
        {F(2016, 2, 29), 1, 4, F(2020, 2, 29)},
        {F(2015, 11, 30, 8, 9, 10), 2, 1, F(2016, 2, 29, 8, 9, 10)},
        {F(2015, 11, 30), 2, -4, F(2014, 11, 30)},
        {F(2015, 12, 28), 4, 1, F(2016, 1, 4)},
        {F(2016, 3, 1), 5, -1, F(2016, 2, 29)},
        {F(2016, 1, 1, 0, 30), 6, -1, F(2015, 12, 31, 23, 30)},
        {F(2016, 1, 1, 23, 59), 7, 1, F(2016, 1, 2, 0, 0)},
        {F(2016, 1, 1, 0, 0, 10), 8, -30, F(2015, 12, 31, 23, 59, 40)},    // -30 s across midnight
        {F(1899, 12, 30, 0, 0, 10), 8, -30, F(1899, 12, 29, 23, 59, 40)},  // across the origin
        {F(1899, 12, 29, 23, 0), 6, 2, F(1899, 12, 30, 1, 0)},
        {F(2016, 1, 1), 0, 1, F(2017, 1, 1)},           // unit below 1 is the year
        {F(2016, 1, 1), 9, 1, F(2016, 1, 1, 0, 0, 1)},  // unit above 8 is the second
        {F(9999, 6, 1), 1, 5, F(9999, 6, 1)},           // years stay in range
        {F(100, 6, 1), 3, -24, F(100, 6, 1)},           // the year is clamped, the month kept
        {F(2016, 6, 1), 3, std::numeric_limits<int>::max(), F(9999, 1, 1)},
        {F(2016, 6, 1), 1, std::numeric_limits<int>::min(), F(100, 6, 1)},
    };
    for (const auto& r : rows) {
        const double t = AddToDateTime(MakeDateTime(r.from), r.unit, r.amount);
        EXPECT_EQ(SplitDateTime(t), r.expected) << "unit " << r.unit << " amount " << r.amount;
    }
}

TEST(AddToDateTime, ZeroAmountReturnsTheInputUntouched) {
    for (double t : {1e9, -1e9, 42313.123456789, kMinDateTime - 1.0}) {
        for (int unit = 0; unit <= 9; ++unit) EXPECT_EQ(AddToDateTime(t, unit, 0), t);
    }
}

TEST(AddToDateTime, ClockUnitsKeepFractionsOfASecond) {
    const double t = MakeDateTime(F(2016, 1, 1, 12)) + 0.25 * kSecond;
    EXPECT_NEAR(AddToDateTime(t, 8, 1) - t, kSecond, 1e-9);
    EXPECT_NEAR(AddToDateTime(t, 4, -2) - t, -14.0, 1e-9);
}

TEST(DateTimeToText, Formats) {
    struct Row {
        DateFields f;
        int format;
        const char* text;
    } rows[] = {
        {F(2015, 11, 5, 14, 8, 42), 1, "2015年11月5日14时8分42秒"},
        {F(2015, 11, 5, 14, 0, 30), 1, "2015年11月5日14时0分30秒"},
        {F(2015, 11, 5, 14, 8, 0), 1, "2015年11月5日14时8分"},
        {F(2015, 11, 5, 14, 0, 0), 1, "2015年11月5日14时"},
        {F(2015, 11, 5, 0, 0, 0), 1, "2015年11月5日"},
        {F(2015, 11, 5, 0, 5, 0), 1, "2015年11月5日0时5分"},
        {F(2015, 11, 5, 0, 0, 5), 1, "2015年11月5日0时0分5秒"},
        {F(2015, 11, 5, 14, 8, 42), 2, "2015年11月5日"},
        {F(2015, 11, 5, 14, 8, 42), 3, "14时8分42秒"},
        {F(2015, 11, 5, 0, 0, 0), 3, "0时0分0秒"},
        {F(2015, 11, 5, 14, 8, 42), 0, "2015年11月5日14时8分42秒"},
        {F(2015, 11, 5, 14, 8, 42), -7, "2015年11月5日14时8分42秒"},
        {F(2015, 11, 5, 14, 8, 42), 4, "14时8分42秒"},
        {F(100, 1, 1), 1, "100年1月1日"},
    };
    for (const auto& r : rows) EXPECT_EQ(DateTimeToText(MakeDateTime(r.f), r.format), r.text);
    EXPECT_EQ(DateTimeToText(MakeDateTime(F(2015, 11, 5, 14, 8, 42))), "2015年11月5日14时8分42秒");
    EXPECT_EQ(DateTimeToText(1e12), "9999年12月31日");
}

TEST(ToDateTime, AcceptedTexts) {
    struct Row {
        const char* text;
        DateFields expected;
    } rows[] = {
        {"2015年11月5日14时8分42秒", F(2015, 11, 5, 14, 8, 42)},
        {"２０１５年１１月５日１４时８分４２秒", F(2015, 11, 5, 14, 8, 42)},  // full-width digits
        {"2015-11-5 14:08:42", F(2015, 11, 5, 14, 8, 42)},
        {"２０１５－１１－５　１４：０８：４２", F(2015, 11, 5, 14, 8, 42)},
        {"2015/11/05", F(2015, 11, 5)},
        {"2015年11月5日", F(2015, 11, 5)},
        {"2015.11.5.14.8.42", F(2015, 11, 5, 14, 8, 42)},
        {"2015:11:5:14:8:42", F(2015, 11, 5, 14, 8, 42)},
        {"2015年11月5日14时", F(2015, 11, 5, 14)},
        {"2015年11月5日14时8分", F(2015, 11, 5, 14, 8)},
        {"2015年11月5日14时8分42秒 and more", F(2015, 11, 5, 14, 8, 42)},  // after 秒 nothing counts
        {"2016-2-29", F(2016, 2, 29)},
        {"2000-2-29", F(2000, 2, 29)},
        {"0100-1-1", F(100, 1, 1)},
        {"9999-12-31", F(9999, 12, 31)},
        {"2015-11-5 23:59:59", F(2015, 11, 5, 23, 59, 59)},
        {"2015年11月5日14时8分42秒秒", F(2015, 11, 5, 14, 8, 42)},
    };
    for (const auto& r : rows) EXPECT_EQ(SplitDateTime(ToDateTime(r.text)), r.expected) << r.text;
}

TEST(ToDateTime, RejectedTextsGiveTheFailureValue) {
    const char* rows[] = {
        "",
        "2015年2月30日1时0分0秒",  // day clamped to 28
        "2015-2-29",
        "1900-2-29",
        "99年1月1日",  // year below 100
        "2015年13月1日",
        "2015年0月1日",
        "2015年11月0日",
        "2015年11月5日24时",
        "2015年11月5日14时60分",
        "2015年11月5日14时8分60秒",
        "2015年11月5日x",      // a stray character after the day
        "2015年11月5日 14时",  // the space is no hour separator once 日 was read
        "20151年1月1日",       // the fifth digit is read as the month, then 年 is left over
        " 2015-11-5",          // no leading blanks
        "abc",
        "2015-11-5 14:08:420",  // a third digit of the second
        "2015年11月5日14时8分42分",
    };
    for (const char* text : rows) EXPECT_EQ(ToDateTime(text), kMinDateTime) << text;
}

TEST(ToDateTime, ReadsBackWhatDateTimeToTextWrote) {
    for (const DateFields& f : {F(2015, 11, 5, 14, 8, 42), F(2016, 2, 29), F(100, 1, 2, 0, 0, 1), F(9999, 12, 31),
                                F(1970, 1, 1, 23, 0, 0), F(2001, 10, 20, 0, 59, 0)}) {
        const double t = MakeDateTime(f);
        EXPECT_EQ(ToDateTime(DateTimeToText(t, 1)), t) << DateTimeToText(t, 1);
        EXPECT_EQ(SplitDateTime(ToDateTime(DateTimeToText(t, 2))), F(f.year, f.month, f.day));
    }
}

TEST(DateTimeFromUnixSeconds, CalendarSecondsSince1970) {
    struct Row {
        long long seconds;
        DateFields expected;
    } rows[] = {
        {0, F(1970, 1, 1)},
        {1446732522, F(2015, 11, 5, 14, 8, 42)},
        {-1, F(1969, 12, 31, 23, 59, 59)},
        {-2209161600LL, F(1899, 12, 30)},
        {-2209161600LL - 3600 * 18, F(1899, 12, 29, 6)},
        {253402214400LL, F(9999, 12, 31)},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(SplitDateTime(DateTimeFromUnixSeconds(r.seconds)), r.expected) << r.seconds;
        EXPECT_EQ(UnixSecondsOf(MakeDateTime(r.expected)), r.seconds) << "and back";
    }
}

// Local clocks of 2015 with their daylight-saving changes, as offsets in minutes from UTC.
struct Zone {
    const char* name;
    int standard, daylight;
    DateFields from, to;  // daylight time in UTC [from, to)
};
const Zone kBerlin{"Berlin", 60, 120, F(2015, 3, 29, 1), F(2015, 10, 25, 1)};
const Zone kNewYork{"New York", -300, -240, F(2015, 3, 8, 7), F(2015, 11, 1, 6)};
const Zone kLordHowe{"Lord Howe", 630, 660, F(2015, 10, 3, 15, 30), F(2016, 4, 2, 15)};  // half an hour

long long Ms(const DateFields& f) { return UnixSecondsOf(MakeDateTime(f)) * 1000; }

TEST(FirstInstantShowing, TheFirstPassOfTheClockOverTheMoment) {
    const struct {
        const Zone* zone;
        DateFields local, utc;
    } rows[] = {
        {&kBerlin, F(2015, 1, 10, 7), F(2015, 1, 10, 6)},
        {&kBerlin, F(2015, 7, 10, 7), F(2015, 7, 10, 5)},
        {&kBerlin, F(2015, 3, 29, 1, 59, 59), F(2015, 3, 29, 0, 59, 59)},
        {&kBerlin, F(2015, 3, 29, 2, 30), F(2015, 3, 29, 1)},  // never shown: the instant of the jump
        {&kBerlin, F(2015, 3, 29, 3), F(2015, 3, 29, 1)},
        {&kBerlin, F(2015, 10, 25, 2, 30), F(2015, 10, 25, 0, 30)},  // shown twice: the first time
        {&kBerlin, F(2015, 10, 25, 3), F(2015, 10, 25, 2)},
        {&kNewYork, F(2015, 3, 8, 2, 30), F(2015, 3, 8, 7)},
        {&kNewYork, F(2015, 11, 1, 1, 30), F(2015, 11, 1, 5, 30)},
        {&kNewYork, F(2015, 12, 31, 23), F(2016, 1, 1, 4)},
        {&kLordHowe, F(2015, 10, 4, 2, 15), F(2015, 10, 3, 15, 30)},
        {&kLordHowe, F(2016, 4, 3, 1, 45), F(2016, 4, 2, 14, 45)},
    };
    for (const auto& r : rows) {
        const Zone& z = *r.zone;
        const long long from = Ms(z.from), to = Ms(z.to);
        auto localOf = [&](std::int64_t utc) -> std::int64_t {
            return utc + (utc >= from && utc < to ? z.daylight : z.standard) * 60000LL;
        };
        EXPECT_EQ(FirstInstantShowing(Ms(r.local), localOf), Ms(r.utc))
            << z.name << " " << DateTimeToText(MakeDateTime(r.local));
    }
}

}  // namespace
}  // namespace dida
