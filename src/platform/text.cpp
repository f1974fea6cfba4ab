#include "platform/text.h"

#include <cstdint>

namespace dida {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
    char32_t cp;
    std::size_t length;  // bytes consumed, at least 1
    bool valid;
};

// One code point from s[i]. An ill-formed sequence is consumed as its maximal valid prefix (at least the
// first byte), which is how the system's converters count replacement characters.
Decoded DecodeUtf8(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return {b0, 1, true};
    std::size_t need;
    unsigned char lo = 0x80, hi = 0xBF;
    char32_t cp;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2;
        cp = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;  // overlong
        if (b0 == 0xED) hi = 0x9F;  // surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3;
        cp = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;  // overlong
        if (b0 == 0xF4) hi = 0x8F;  // above U+10FFFF
    } else {
        return {kReplacement, 1, false};
    }
    for (std::size_t k = 1; k <= need; ++k) {
        if (i + k >= s.size()) return {kReplacement, k, false};
        const auto b = static_cast<unsigned char>(s[i + k]);
        const unsigned char first = k == 1 ? lo : 0x80;
        const unsigned char last = k == 1 ? hi : 0xBF;
        if (b < first || b > last) return {kReplacement, k, false};
        cp = (cp << 6) | (b & 0x3F);
    }
    return {cp, need + 1, true};
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const Decoded d = DecodeUtf8(s, i);
        i += d.length;
        if (d.cp >= 0x10000) {
            const char32_t v = d.cp - 0x10000;
            out += static_cast<char16_t>(0xD800 + (v >> 10));
            out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
        } else {
            out += static_cast<char16_t>(d.cp);
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size() * 3);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t u = s[i];
        if (IsHighSurrogate(u) && i + 1 < s.size() && IsLowSurrogate(s[i + 1])) {
            AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (s[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, u);  // a lone surrogate becomes U+FFFD there
        }
    }
    return out;
}

std::u32string Utf8ToUtf32(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const Decoded d = DecodeUtf8(s, i);
        i += d.length;
        out += d.cp;
    }
    return out;
}

std::string Utf32ToUtf8(std::u32string_view s) {
    std::string out;
    out.reserve(s.size() * 3);
    for (char32_t c : s) AppendUtf8(out, c);
    return out;
}

char32_t FoldFullWidthChar(char32_t c) {
    // Row A3 of code page 936 is U+FF01..U+FF5E in order, except two cells: A3A4 holds U+FFE5 (the yuan
    // sign) and A3FE U+FFE3 (the macron). U+FF04 and U+FF5E live elsewhere in that code page (A1E7 and
    // A1AB), so the first folds to nothing and the second to '~' only through A1AB.
    if (c >= 0xFF01 && c <= 0xFF5D && c != 0xFF04) return c - 0xFF01 + 0x21;
    switch (c) {
    case 0xFFE5: return U'$';  // A3A4
    case 0xFFE3: return U'~';  // A3FE
    case 0x3000: return U' ';  // A1A1
    case 0xFF5E: return U'~';  // A1AB
    case 0x2606: return U'*';  // A1EE
    case 0x2605: return U'*';  // A1EF
    default: return c;
    }
}

std::string FoldFullWidth(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const Decoded d = DecodeUtf8(s, i);
        const char32_t folded = d.valid ? FoldFullWidthChar(d.cp) : d.cp;
        if (d.valid && folded != d.cp) {
            out += static_cast<char>(folded);
        } else {
            out.append(s.substr(i, d.length));  // untouched, ill-formed bytes included
        }
        i += d.length;
    }
    return out;
}

std::u16string TruncateUtf16(std::u16string_view s, std::size_t maxUnits) {
    if (s.size() <= maxUnits) return std::u16string(s);
    std::size_t n = maxUnits;
    if (n > 0 && IsHighSurrogate(s[n - 1]) && IsLowSurrogate(s[n])) --n;
    return std::u16string(s.substr(0, n));
}

}  // namespace dida
