// The leading-integer readers must equal the C library's base-10 reading, saturated to their width, and
// the floating-point conversion must truncate toward zero.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "platform/convert.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::int32_t v = dida::ToInteger(text);
    const std::string folded = dida::FoldFullWidth(text);
    if (folded.find('\0') == std::string::npos) {
        const long long reference = std::strtoll(folded.c_str(), nullptr, 10);
        const long long clamped = std::clamp<long long>(reference, std::numeric_limits<std::int32_t>::min(),
                                                        std::numeric_limits<std::int32_t>::max());
        if (v != clamped) std::abort();
    }
    if (text.find('\0') == std::string::npos) {
        if (dida::LeadingInteger(text) != std::strtoll(text.c_str(), nullptr, 10)) std::abort();
    }

    if (size >= sizeof(double)) {
        double d;
        std::memcpy(&d, data, sizeof d);
        const std::int32_t i = dida::ToInteger(d);
        if (std::isnan(d)) {
            if (i != 0) std::abort();
        } else if (std::fabs(d) < 2147483647.0) {
            if (i != static_cast<std::int32_t>(std::trunc(d))) std::abort();
        } else if ((d > 0) != (i > 0)) {
            std::abort();
        }
    }
    if (size >= sizeof(std::int64_t)) {
        std::int64_t w;
        std::memcpy(&w, data, sizeof w);
        if (static_cast<std::uint32_t>(dida::ToInteger(w)) != static_cast<std::uint32_t>(w & 0xFFFFFFFF)) std::abort();
    }
    return 0;
}
