// Any text either fails to the failure value or reads as a real date-time that formats and reads back.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/datetime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const dida::DateTime t = dida::ToDateTime(text);
    if (std::isnan(t)) std::abort();
    if (t == dida::kMinDateTime) return 0;
    const dida::DateFields f = dida::SplitDateTime(t);
    if (dida::ClampFields(f) != f) std::abort();
    // A time on the very first or last day lies just outside the numeric range; the fields still hold.
    if (t < dida::kMinDateTime - 1.0 || t > dida::kMaxDateTime + 1.0) std::abort();
    if (t < dida::kMinDateTime || t > dida::kMaxDateTime) return 0;
    if (dida::MakeDateTime(f) != t) std::abort();
    for (int format = 1; format <= 2; ++format) {
        const dida::DateFields back = dida::SplitDateTime(dida::ToDateTime(dida::DateTimeToText(t, format)));
        if (back.year != f.year || back.month != f.month || back.day != f.day) std::abort();
        if (format == 1 && back != f) std::abort();
    }
    return 0;
}
