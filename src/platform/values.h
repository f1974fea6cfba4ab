#pragma once
// The small values every layer passes about: colours, rectangles, file images. They belong to no window,
// so the portable services below the window model can take them too.
#include <cstdint>
#include <span>

namespace dida {

using Color = std::uint32_t;                         // 0x00BBGGRR, as the logic writes colours
inline constexpr Color kDefaultColor = 0xFFFFFFFFu;  // the system's colour for that part of the control
using Blob = std::span<const std::uint8_t>;          // a whole picture / icon / sound file image
bool SameBytes(Blob a, Blob b);

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

}  // namespace dida
