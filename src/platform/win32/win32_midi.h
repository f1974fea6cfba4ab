#pragma once
// MIDI through the system's MIDI stream: the whole piece queued as stream buffers, played on a worker
// thread that queues it again for a loop.
#include <memory>

#include "platform/sound_format.h"

namespace dida::win32 {

class MidiPlayer {
public:
    virtual ~MidiPlayer() = default;  // stops the piece and waits for the worker
    virtual bool Playing() const = 0;
};

// The piece playing, or nothing when no MIDI device opens.
std::unique_ptr<MidiPlayer> PlayMidi(const MidiFile& midi, bool loop);

}  // namespace dida::win32
