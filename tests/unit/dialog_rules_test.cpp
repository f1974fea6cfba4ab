#include "platform/dialog_rules.h"

#include <gtest/gtest.h>

#include <limits>

namespace dida {
namespace {

TEST(MessageBoxRules, ButtonIdsGiveResultCodes) {
    struct Row {
        int buttonId;
        int result;
    } rows[] = {
        {1, kOk},  {2, kCancel}, {3, kAbort},  {4, kRetry},  {5, kIgnore},
        {6, kYes}, {7, kNo},     {0, kCancel}, {8, kCancel}, {-1, kCancel},  // a failed box counts as cancelled
    };
    for (const auto& r : rows) EXPECT_EQ(MessageResultFromButtonId(r.buttonId), r.result) << r.buttonId;
}

TEST(MessageBoxRules, TaskModalUnlessSystemModal) {
    struct Row {
        int style;
        unsigned shown;
    } rows[] = {
        {0x34, 0x2034}, {0x24, 0x2024},   {0x10, 0x2010},   {0x40, 0x2040},
        {0, 0x2000},    {0x1034, 0x1034}, {0x2040, 0x2040}, {0x3000, 0x3000},
    };
    for (const auto& r : rows) EXPECT_EQ(MessageBoxStyle(r.style), r.shown) << std::hex << r.style;
}

TEST(MessageBoxRules, DefaultTitle) {
    EXPECT_EQ(MessageBoxTitle(""), "信息：");
    EXPECT_EQ(MessageBoxTitle("嘀嗒提醒："), "嘀嗒提醒：");
}

TEST(InputBoxRules, ModeAndCaption) {
    struct Row {
        int mode, used;
    } rows[] = {{-5, 1}, {0, 1}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 4}, {std::numeric_limits<int>::max(), 4}};
    for (const auto& r : rows) EXPECT_EQ(InputBoxMode(r.mode), r.used) << r.mode;
    EXPECT_EQ(InputBoxCaption(""), "请输入：");
    EXPECT_EQ(InputBoxCaption("闹铃时长"), "闹铃时长");
}

TEST(InputBoxRules, TypedCharacterFilter) {
    struct Row {
        char32_t ch;
        bool text, integer, decimal, password;
    } rows[] = {
        {U'0', true, true, true, true},    {U'9', true, true, true, true},
        {U'-', true, true, true, true},    {U'.', true, false, true, true},
        {U'a', true, false, false, true},  {U'+', true, false, false, true},
        {U' ', true, false, false, true},  {U'e', true, false, false, true},
        {U'５', true, false, false, true},                               // a full-width digit is not a digit here
        {U'嘀', true, false, false, true}, {8, true, true, true, true},  // backspace
        {31, true, true, true, true},      {127, true, false, false, true},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(InputBoxAccepts(1, r.ch), r.text) << static_cast<std::uint32_t>(r.ch);
        EXPECT_EQ(InputBoxAccepts(2, r.ch), r.integer) << static_cast<std::uint32_t>(r.ch);
        EXPECT_EQ(InputBoxAccepts(3, r.ch), r.decimal) << static_cast<std::uint32_t>(r.ch);
        EXPECT_EQ(InputBoxAccepts(4, r.ch), r.password) << static_cast<std::uint32_t>(r.ch);
        EXPECT_EQ(InputBoxAccepts(0, r.ch), r.text) << static_cast<std::uint32_t>(r.ch);      // taken as text
        EXPECT_EQ(InputBoxAccepts(9, r.ch), r.password) << static_cast<std::uint32_t>(r.ch);  // taken as password
    }
}

TEST(InputBoxRules, EntryIsStoredByTheTargetType) {
    struct Row {
        const char* entry;
        std::int32_t i32;
        std::int64_t i64;
        double dbl;
    } rows[] = {
        {"180", 180, 180, 180.0},
        {"12abc", 12, 12, 12.0},
        {"", 0, 0, 0.0},
        {"  -7.5", -7, -7, -7.5},
        {"１２", 0, 0, 0.0},  // the input box does not fold full-width digits
        {"99999999999", std::numeric_limits<std::int32_t>::max(), 99999999999, 99999999999.0},
        {"-99999999999", std::numeric_limits<std::int32_t>::min(), -99999999999, -99999999999.0},
    };
    for (const auto& r : rows) {
        std::string text = "old";
        std::int32_t i32 = -1;
        std::int64_t i64 = -1;
        double dbl = -1.0;
        StoreInputEntry(r.entry, InputTarget::Of(text));
        StoreInputEntry(r.entry, InputTarget::Of(i32));
        StoreInputEntry(r.entry, InputTarget::Of(i64));
        StoreInputEntry(r.entry, InputTarget::Of(dbl));
        EXPECT_EQ(text, r.entry);
        EXPECT_EQ(i32, r.i32) << r.entry;
        EXPECT_EQ(i64, r.i64) << r.entry;
        EXPECT_DOUBLE_EQ(dbl, r.dbl) << r.entry;
    }
}

TEST(FileDialogRules, FilterStringAndIndex) {
    struct Row {
        const char* filter;
        const char* shown;
    } rows[] = {
        {"MP3文件（*.mp3）|*.mp3", "MP3文件（*.mp3）|*.mp3||"},
        {"a|*.a||", "a|*.a||"},
        {"a|*.a|", "a|*.a|||"},
        {"", ""},
    };
    for (const auto& r : rows) EXPECT_EQ(DialogFilterString(r.filter), r.shown) << r.filter;
    struct IndexRow {
        const char* filter;
        int stored, shown;
    } indexes[] = {{"a|*.a", 0, 1}, {"a|*.a|b|*.b", 1, 2}, {"a|*.a", -3, 1}, {"", 0, 0}, {"", 2, 0}};
    for (const auto& r : indexes) EXPECT_EQ(DialogFilterIndex(r.filter, r.stored), r.shown) << r.stored;
}

}  // namespace
}  // namespace dida
