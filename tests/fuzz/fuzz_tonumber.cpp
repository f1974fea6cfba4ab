// The leading-number reader must agree with the C library's decimal reading wherever the C library reads
// nothing but decimal digits, and must never produce a NaN.
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/convert.h"
#include "platform/text.h"

namespace {
bool OnlyDecimal(const char* begin, const char* end) {
    for (const char* p = begin; p != end; ++p)
        if (*p == 'x' || *p == 'X' || *p == 'n' || *p == 'N' || *p == 'i' || *p == 'I') return false;
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double v = dida::ToNumber(text);
    if (std::isnan(v)) std::abort();
    const std::string folded = dida::FoldFullWidth(text);
    if (dida::LeadingNumber(folded) != v) std::abort();

    // strtod stops at an embedded zero byte; compare on that prefix only.
    const std::string prefix = folded.c_str();
    char* end = nullptr;
    errno = 0;
    const double reference = std::strtod(prefix.c_str(), &end);
    if (OnlyDecimal(prefix.c_str(), end) && prefix.size() == folded.size()) {
        const bool underflow = errno == ERANGE && std::fabs(reference) < 1.0;
        if (!underflow && reference != v) std::abort();
        if (underflow && std::fabs(v) > std::fabs(reference) && v != 0.0) std::abort();
    }

    if (std::isfinite(v)) {
        const double back = dida::ToNumber(dida::ToText(v));
        if (std::fabs(back - v) > std::fabs(v) * 1e-12) std::abort();
    }
    return 0;
}
