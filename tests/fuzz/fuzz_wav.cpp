// WAV images from outside: the parser never reads past the bytes and what it returns lies inside them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/sound_format.h"

namespace {
bool Inside(dida::Blob part, dida::Blob whole) {
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const dida::Blob bytes(data, size);
    const auto info = dida::ParseWav(bytes);
    if (!info) return 0;
    if (!dida::LooksLikeWav(bytes) || size <= 35) std::abort();
    if (info->samples.empty() || info->format.size() < 16) std::abort();
    if (!Inside(info->samples, bytes) || !Inside(info->format, bytes)) std::abort();
    // The fields are the first bytes of the format chunk, little-endian.
    if (info->channels != (info->format[2] | info->format[3] << 8)) std::abort();
    if (info->bitsPerSample != (info->format[14] | info->format[15] << 8)) std::abort();
    return 0;
}
