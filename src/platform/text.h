#pragma once
// UTF-8 inside; UTF-16 only at the Windows boundary.
#include <string>
#include <string_view>

namespace dida {

std::u16string Utf8ToUtf16(std::string_view s);  // invalid bytes become U+FFFD
std::string Utf16ToUtf8(std::u16string_view s);  // lone surrogates become U+FFFD
std::u32string Utf8ToUtf32(std::string_view s);
std::string Utf32ToUtf8(std::u32string_view s);

// The full-width folding the program applies before reading numbers and dates: the characters code
// page 936 writes as A3A1..A3FE become the ASCII character (second byte - 0x80), the ideographic space
// (A1A1) a space, A1AB '~', A1EE and A1EF '*'.
std::string FoldFullWidth(std::string_view s);
char32_t FoldFullWidthChar(char32_t c);

// Cuts s to at most maxUnits UTF-16 code units without splitting a character.
std::u16string TruncateUtf16(std::u16string_view s, std::size_t maxUnits);

}  // namespace dida
