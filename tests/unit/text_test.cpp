#include "platform/text.h"

#include <gtest/gtest.h>

namespace dida {
namespace {

TEST(Utf, RoundTripsChineseAndAstralCharacters) {
    const std::string s = "嘀嗒 V1.31 😀";
    const std::u16string w = Utf8ToUtf16(s);
    EXPECT_EQ(w, u"嘀嗒 V1.31 😀");
    EXPECT_EQ(Utf16ToUtf8(w), s);
    EXPECT_EQ(Utf8ToUtf32(s), U"嘀嗒 V1.31 😀");
    EXPECT_EQ(Utf32ToUtf8(U"嘀嗒 V1.31 😀"), s);
}

TEST(Utf, IllFormedBytesBecomeReplacementCharacters) {
    struct Row {
        const char* bytes;
        std::u16string expected;
    } rows[] = {
        {"a\xff"
         "b",
         u"a\uFFFDb"},
        {"\xe4\xb8", u"\uFFFD"},  // a cut-off character is one replacement
        {"\xe4\xb8"
         "a",
         u"\uFFFDa"},
        {"\xc0\xaf", u"\uFFFD\uFFFD"},                      // overlong
        {"\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},            // an encoded surrogate
        {"\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"\x80\x80", u"\uFFFD\uFFFD"},
        {"\xf0\x9f\x98", u"\uFFFD"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(Utf8ToUtf16(r.bytes), r.expected) << r.bytes;
        EXPECT_EQ(Utf8ToUtf32(r.bytes).size(), r.expected.size()) << r.bytes;
    }
}

TEST(Utf, LoneSurrogatesBecomeReplacementCharacters) {
    const char16_t high[] = {u'a', 0xD83D, u'b', 0};
    const char16_t low[] = {0xDE00, 0};
    const char16_t reversed[] = {0xDE00, 0xD83D, 0};
    EXPECT_EQ(Utf16ToUtf8(high),
              "a\uFFFD"
              "b");
    EXPECT_EQ(Utf16ToUtf8(low), "\uFFFD");
    EXPECT_EQ(Utf16ToUtf8(reversed), "\uFFFD\uFFFD");
    EXPECT_EQ(Utf32ToUtf8(std::u32string{0x110000, 0xD800}), "\uFFFD\uFFFD");
}

// The code points below are the ones the double-byte code page holds in the folded cells (read from the
// code page's own table), so the test also guards the two odd cells of row A3.
TEST(FoldFullWidth, CodePointsOfTheFoldedCells) {
    struct Row {
        char32_t from, to;
    } rows[] = {
        {0xFF01, U'!'},                                                                                         // A3A1
        {0xFF10, U'0'},                                                                                         // A3B0
        {0xFF19, U'9'},   {0xFF0E, U'.'},   {0xFF0D, U'-'},   {0xFF1A, U':'}, {0xFF21, U'A'}, {0xFF3C, U'\\'},  // A3DC
        {0xFF5D, U'}'},                                                                                         // A3FD
        {0xFFE5, U'$'},                                                                                         // A3A4
        {0xFFE3, U'~'},                                                                                         // A3FE
        {0x3000, U' '},                                                                                         // A1A1
        {0xFF5E, U'~'},                                                                                         // A1AB
        {0x2606, U'*'},                                                                                         // A1EE
        {0x2605, U'*'},                                                                                         // A1EF
        {0xFF04, 0xFF04},                                      // lives at A1E7, outside the folded cells
        {0xFF00, 0xFF00}, {0xFF5F, 0xFF5F}, {0x5E74, 0x5E74},  // 年
        {U'a', U'a'},
    };
    for (const auto& r : rows)
        EXPECT_EQ(FoldFullWidthChar(r.from), r.to) << std::hex << static_cast<std::uint32_t>(r.from);
}

TEST(FoldFullWidth, EveryFoldLandsOnPrintableAscii) {
    int folded = 0;
    for (char32_t c = 0x80; c <= 0x10FFFF; ++c) {
        const char32_t to = FoldFullWidthChar(c);
        if (to == c) continue;
        ++folded;
        ASSERT_GE(to, U' ') << std::hex << static_cast<std::uint32_t>(c);
        ASSERT_LE(to, U'~') << std::hex << static_cast<std::uint32_t>(c);
    }
    EXPECT_EQ(folded, 94 + 4);  // the whole of row A3 and the four cells of row A1
}

TEST(FoldFullWidth, Texts) {
    struct Row {
        const char* in;
        const char* out;
    } rows[] = {
        {"２０１５年１１月５日", "2015年11月5日"},
        {"１２：３０　ＰＭ", "12:30 PM"},
        {"￥５", "$5"},
        {"", ""},
        {"\xff"
         "１",
         "\xff"
         "1"},  // ill-formed bytes pass unchanged
        {"\xe4\xb8", "\xe4\xb8"},
    };
    for (const auto& r : rows) EXPECT_EQ(FoldFullWidth(r.in), r.out) << r.in;
}

TEST(TruncateUtf16, NeverSplitsASurrogatePair) {
    const std::u16string s = u"ab😀c";
    struct Row {
        std::size_t max;
        std::u16string expected;
    } rows[] = {{0, u""}, {2, u"ab"}, {3, u"ab"}, {4, u"ab😀"}, {5, s}, {64, s}};
    for (const auto& r : rows) EXPECT_EQ(TruncateUtf16(s, r.max), r.expected) << r.max;
}

}  // namespace
}  // namespace dida
