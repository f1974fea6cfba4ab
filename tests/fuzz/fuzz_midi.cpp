// MIDI images from outside: header and tracks stay inside the bytes, the merged list is in time order,
// ties keep track order, and every event's bytes come from its own track.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/sound_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const dida::Blob bytes(data, size);
    const auto midi = dida::ParseMidi(bytes);
    if (!midi) return 0;
    if (!dida::LooksLikeMidi(bytes)) std::abort();
    for (dida::Blob t : midi->tracks)
        if (t.data() < data || t.data() + t.size() > data + size) std::abort();
    const auto events = dida::MergeMidiTracks(*midi);
    for (std::size_t i = 0; i < events.size(); ++i) {
        const dida::MidiEvent& e = events[i];
        if (e.track >= midi->tracks.size()) std::abort();
        const dida::Blob t = midi->tracks[e.track];
        if (!e.payload.empty() &&
            (e.payload.data() < t.data() || e.payload.data() + e.payload.size() > t.data() + t.size()))
            std::abort();
        if (e.type == dida::MidiEvent::Type::Channel &&
            (e.status < 0x80 || e.status > 0xEF || e.data1 > 0x7F || e.data2 > 0x7F))
            std::abort();
        if (i > 0) {
            const dida::MidiEvent& p = events[i - 1];
            if (p.tick > e.tick || (p.tick == e.tick && p.track > e.track)) std::abort();
        }
    }
    return 0;
}
