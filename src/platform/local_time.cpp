#include "platform/local_time.h"

#include <algorithm>
#include <vector>

namespace dida {

std::int64_t FirstInstantShowing(std::int64_t localMs, const std::function<std::int64_t(std::int64_t)>& localOf) {
    constexpr std::int64_t kHalfDayMs = 12 * 3600 * 1000LL;
    auto offsetAt = [&](std::int64_t utc) { return localOf(utc) - utc; };
    // Near enough to the instant for any change of offset that matters to lie within half a day of it.
    const std::int64_t guess = localMs - offsetAt(localMs);
    std::vector<std::int64_t> candidates;
    for (std::int64_t at : {guess - kHalfDayMs, guess, guess + kHalfDayMs})
        candidates.push_back(localMs - offsetAt(at));
    std::sort(candidates.begin(), candidates.end());
    for (std::int64_t c : candidates)
        if (localOf(c) == localMs) return c;  // the earliest, so the first pass of an hour shown twice
    // Skipped: between the candidates the clock jumps over the moment once; find the jump.
    std::int64_t before = candidates.front(), after = candidates.back();
    while (after - before > 1) {
        const std::int64_t mid = before + (after - before) / 2;
        (localOf(mid) >= localMs ? after : before) = mid;
    }
    return after;
}

}  // namespace dida
