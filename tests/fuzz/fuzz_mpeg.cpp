// MP3 images from outside: every frame the scanner yields is whole, in order, inside the bytes, and
// starts with the header it reports; the playable rule never crashes and is consistent with itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/sound_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size >= 4) {
        const std::uint32_t word = std::uint32_t(data[0]) << 24 | data[1] << 16 | data[2] << 8 | data[3];
        if (const auto h = dida::ParseMpegHeader(word)) {
            if (h->frameLength < 4 + h->bitrateKbps / 8 || h->sampleRate < 8000 || h->channels < 1) std::abort();
        }
    }
    dida::MpegFrameScanner scanner(dida::Blob(data, size));
    std::size_t end = 0;
    while (const auto f = scanner.Next()) {
        if (f->offset < end || f->offset + f->bytes.size() > size || f->bytes.data() != data + f->offset) std::abort();
        if (f->bytes.size() != std::size_t(f->header.frameLength)) std::abort();
        const std::uint32_t word = std::uint32_t(data[f->offset]) << 24 | data[f->offset + 1] << 16 |
                                   data[f->offset + 2] << 8 | data[f->offset + 3];
        const auto h = dida::ParseMpegHeader(word);
        if (!h || h->frameLength != f->header.frameLength) std::abort();
        end = f->offset + f->bytes.size();
    }
    // What sounds as the start of a file sounds as a whole file too: the whole file only adds the frame
    // that ends the audio.
    if (dida::Mp3Playable(dida::Blob(data, size), false) && !dida::Mp3Playable(dida::Blob(data, size), true))
        std::abort();
    return 0;
}
