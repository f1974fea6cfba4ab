#pragma once
// MP3 images for the portable tests, made of frames whose bodies carry a filler that tells them apart.
#include <cstdint>
#include <vector>

#include "platform/sound_format.h"

namespace dida::test {

// One frame of that header, its body filled with `fill`, so a test can tell which bytes became which frame.
inline void AppendMpegFrame(std::vector<std::uint8_t>& b, std::uint32_t header, std::uint8_t fill) {
    const int length = ParseMpegHeader(header)->frameLength;
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(std::uint8_t(header >> shift));
    b.insert(b.end(), std::size_t(length - 4), fill);
}

// `frames` frames of one stream, the i-th filled with i. The default stream, MPEG-1 44.1 kHz (1152 samples,
// about 26 ms a frame), is one both desktops accept as music.
inline std::vector<std::uint8_t> Mp3Image(int frames, std::uint32_t header = 0xFFFB9044) {
    std::vector<std::uint8_t> b;
    for (int i = 0; i < frames; ++i) AppendMpegFrame(b, header, std::uint8_t(i));
    return b;
}

}  // namespace dida::test
