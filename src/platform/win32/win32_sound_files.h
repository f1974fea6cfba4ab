#pragma once
// Reading the sound files the user names: the whole of a WAV or MP3, or, for the MP3 rule, only as much as
// tells whether a file can produce sound.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sound_format.h"

namespace dida::win32 {

// The file's bytes; nothing for a missing or unreadable file, a directory, or one of 1 GiB or more.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& utf8Name);

// Whether the named file can produce sound, judged on the GUI thread before anything starts, and the header
// of its first frame, which tells what it decodes to.
std::optional<MpegHeader> PlayableMp3(const std::string& utf8Name);

}  // namespace dida::win32
