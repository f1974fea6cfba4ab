// The encoding conversions at the Windows boundary: well-formed text survives the round trip, ill-formed
// input never breaks the output, truncation never splits a character, folding only touches characters.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string s(reinterpret_cast<const char*>(data), size);
    const std::u16string w = dida::Utf8ToUtf16(s);
    const std::string back = dida::Utf16ToUtf8(w);
    // Whatever came in, what comes out is well-formed: it must survive a second round trip unchanged.
    if (dida::Utf16ToUtf8(dida::Utf8ToUtf16(back)) != back) std::abort();
    if (dida::Utf32ToUtf8(dida::Utf8ToUtf32(s)) != back) std::abort();
    const bool wellFormed = dida::Utf8ToUtf32(s).find(U'\uFFFD') == std::u32string::npos;
    if (wellFormed && back != s) std::abort();

    const std::u16string raw(reinterpret_cast<const char16_t*>(data), size / 2);
    const std::string narrow = dida::Utf16ToUtf8(raw);
    if (dida::Utf8ToUtf16(narrow).size() > raw.size()) std::abort();
    for (std::size_t max : {std::size_t{0}, std::size_t{1}, raw.size() / 2, raw.size()}) {
        const std::u16string cut = dida::TruncateUtf16(raw, max);
        if (cut.size() > max || raw.compare(0, cut.size(), cut) != 0) std::abort();
        if (cut.size() + 1 < std::min(max, raw.size())) std::abort();
        if (!cut.empty() && cut.back() >= 0xD800 && cut.back() <= 0xDBFF && cut.size() < raw.size() &&
            raw[cut.size()] >= 0xDC00 && raw[cut.size()] <= 0xDFFF)
            std::abort();
    }

    const std::string folded = dida::FoldFullWidth(s);
    if (folded.size() > s.size()) std::abort();
    if (dida::Utf8ToUtf32(folded).size() != dida::Utf8ToUtf32(s).size()) std::abort();
    return 0;
}
