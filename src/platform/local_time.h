#pragma once
// From a moment of the local clock to the instant it stands for. Local time is not a straight line: a
// daylight-saving night skips an hour in spring and shows one hour twice in autumn, so a local moment
// may name no instant or two. A reminder watches the clock pass its moment, so the instant that counts
// is the first one at which the clock shows the moment or later: in the skipped hour the instant the
// clock jumps, in the hour shown twice its first pass.
#include <cstdint>
#include <functional>

namespace dida {

// `localOf` maps an instant (UTC ms since 1970) to what the local clock shows then (ms since 1970, no
// time zone); `localMs` is a moment of that clock. The result is the earliest instant at which the clock
// shows `localMs` or later. Offsets may change at any instant, as long as two changes lie more than a
// day apart.
std::int64_t FirstInstantShowing(std::int64_t localMs, const std::function<std::int64_t(std::int64_t)>& localOf);

}  // namespace dida
