#pragma once
// The user's MP3 list: decoded through ACM into the wave output device, file after file, pass after pass, on
// a worker thread.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/values.h"
#include "platform/sound_format.h"

namespace dida::win32 {

class Mp3Player {
public:
    virtual ~Mp3Player() = default;  // stops the sound and waits for the worker
    virtual bool Playing() const = 0;
};

// Whether an output device takes the sound the file whose first frame this is decodes to.
bool OutputTakesMp3(const MpegHeader& first);

// passes: the number of passes over the list, 0 without end. fallback: a WAV image looped instead, until
// the player ends, after a pass that produced no sound.
std::unique_ptr<Mp3Player> PlayMp3List(std::vector<std::string> files, int passes, Blob fallback);

}  // namespace dida::win32
