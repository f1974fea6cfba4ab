#include "platform/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/fatal.h"

namespace dida {
namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ToText, Numbers) {
    struct Row {
        double v;
        const char* text;
    } doubles[] = {
        {5.0, "5"},
        {-2.5, "-2.5"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333"},
        {1e15, "1e+15"},
        {123456789012.0, "123456789012"},
        {1234567890123.0, "1234567890123"},
        {0.0, "0"},
    };
    for (const auto& r : doubles) EXPECT_EQ(ToText(r.v), r.text) << r.v;
    EXPECT_EQ(ToTextSingle(1.0f / 3.0f), "0.333333");
    EXPECT_EQ(ToTextSingle(180.0f), "180");
    EXPECT_EQ(ToText(std::int32_t{-180}), "-180");
    EXPECT_EQ(ToText(kInt32Min), "-2147483648");
    EXPECT_EQ(ToText(kInt64Max), "9223372036854775807");
    EXPECT_EQ(ToText(true), "真");
    EXPECT_EQ(ToText(false), "假");
}

TEST(ToNumber, LeadingDecimalNumberOfAText) {
    struct Row {
        const char* text;
        double value;
    } rows[] = {
        {"12.5abc", 12.5},  {"  -3e2x", -300.0}, {"+7", 7.0},
        {"1e", 1.0},        {"1e+", 1.0},        {".5", 0.5},
        {"5.", 5.0},        {".", 0.0},          {"-", 0.0},
        {"abc", 0.0},       {"", 0.0},           {"\t\n 42", 42.0},
        {"１２．５", 12.5},                 // full-width digits and point
        {"－８", -8.0},     {"0x10", 0.0},  // decimal only
        {"inf", 0.0},       {"nan", 0.0},        {"1e400", kInf},
        {"-1e400", -kInf},  {"1e-400", 0.0},     {"0.000000000000000000000000000000001e340", 1e307},
        {"180 秒", 180.0},
    };
    for (const auto& r : rows) EXPECT_DOUBLE_EQ(ToNumber(r.text), r.value) << r.text;
    EXPECT_EQ(ToNumber(true), 1.0);
    EXPECT_EQ(ToNumber(false), 0.0);
}

TEST(ToInteger, LeadingIntegerOfAText) {
    struct Row {
        const char* text;
        std::int32_t value;
    } rows[] = {
        {"０１２", 12},  // full-width zero, one, two
        {"", 0},
        {" -42abc", -42},
        {"+17", 17},
        {"+-1", 0},
        {"12.9", 12},
        {"abc", 0},
        {"2147483647", kInt32Max},
        {"2147483648", kInt32Max},
        {"99999999999999999999", kInt32Max},
        {"-2147483648", kInt32Min},
        {"-99999999999", kInt32Min},
        {"　３０", 30},  // ideographic space is a blank after folding
    };
    for (const auto& r : rows) EXPECT_EQ(ToInteger(std::string(r.text)), r.value) << r.text;
}

TEST(ToInteger, FloatingPointTruncatesTowardZero) {
    struct Row {
        double v;
        std::int32_t value;
    } rows[] = {
        {-2.7, -2},
        {2.7, 2},
        {-0.5, 0},
        {0.999, 0},
        {1e10, kInt32Max},
        {-1e10, kInt32Min},
        {2147483647.9, kInt32Max},
        {-2147483648.9, kInt32Min},
        {kInf, kInt32Max},
        {-kInf, kInt32Min},
        {std::numeric_limits<double>::quiet_NaN(), 0},
    };
    for (const auto& r : rows) EXPECT_EQ(ToInteger(r.v), r.value) << r.v;
}

TEST(ToInteger, SixtyFourBitIntegersKeepTheirLow32Bits) {
    EXPECT_EQ(ToInteger(std::int64_t{0x100000005}), 5);
    EXPECT_EQ(ToInteger(std::int64_t{-1}), -1);
    EXPECT_EQ(ToInteger(std::int64_t{0x80000000}), kInt32Min);
    EXPECT_EQ(ToInteger(std::int64_t{0xFFFFFFFF}), -1);
    EXPECT_EQ(ToInteger(true), 1);
}

TEST(Remainder, TruncatedRemainders) {
    struct Row {
        double a, b, r;
    } rows[] = {
        {125.0, 60.0, 5.0}, {-7.0, 3.0, -1.0}, {7.0, -3.0, 1.0},          {-7.0, -3.0, -1.0},
        {5.5, 2.0, 1.5},    {2.0, 5.0, 2.0},   {1e17 + 16.0, 60.0, 56.0},  // exact even where a / b is not
    };
    for (const auto& r : rows) EXPECT_DOUBLE_EQ(Remainder(r.a, r.b), r.r) << r.a << " mod " << r.b;
    EXPECT_DOUBLE_EQ(Remainder(100.0, {30.0, 7.0}), 3.0);
    EXPECT_DOUBLE_EQ(Remainder(3725.0, {3600.0, 60.0}), 5.0);
}

TEST(Remainder, ByZeroIsTheFatalError) {
    try {
        Remainder(5.0, 0.0);
        FAIL() << "no fatal error";
    } catch (const FatalErrorRaised& e) {
        EXPECT_STREQ(e.what(), kErrRemainderByZero);
    }
    // A zero further down the chain is as fatal as the first divisor.
    EXPECT_THROW(Remainder(5.0, {2.0, 0.0}), FatalErrorRaised);
    EXPECT_THROW(Remainder(0.0, -0.0), FatalErrorRaised);
}

TEST(InputConversions, LeadingPartsWithoutFolding) {
    struct IntRow {
        const char* text;
        std::int64_t value;
    } ints[] = {
        {"12abc", 12},
        {"", 0},
        {"  -7", -7},
        {"１２", 0},
        {"99999999999", 99999999999},
        {"9223372036854775807", kInt64Max},
        {"9223372036854775808", kInt64Max},
        {"-9223372036854775808", kInt64Min},
        {"-9223372036854775809", kInt64Min},
    };
    for (const auto& r : ints) EXPECT_EQ(LeadingInteger(r.text), r.value) << r.text;
    struct NumRow {
        const char* text;
        double value;
    } numbers[] = {{"3.5kg", 3.5}, {"", 0.0}, {"-1.25e1", -12.5}, {"１２", 0.0}};
    for (const auto& r : numbers) EXPECT_DOUBLE_EQ(LeadingNumber(r.text), r.value) << r.text;
}

}  // namespace
}  // namespace dida
