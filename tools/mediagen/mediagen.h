#pragma once
// The program's embedded media, drawn and synthesised from code so that every byte can be rebuilt and
// checked. Each item is a complete file image; the generator writes them beside media_data.cpp, which
// carries the same bytes into the program.
#include <cstdint>
#include <string>
#include <vector>

namespace dida::mediagen {

using Bytes = std::vector<std::uint8_t>;

struct MediaItem {
    std::string fileName;  // under src/ui/media/
    std::string symbol;    // the Blob in media.h, without the namespace
    Bytes bytes;
};

// Sounds.
Bytes TickTockSound();   // "嘀嗒叫"
Bytes CuckooSound();     // "布谷鸟"
Bytes WindChimeSound();  // "风铃响"
Bytes ClickSound();      // the picture buttons' click

// Speaker pictures.
Bytes SpeakerPicture(bool waves, bool orange);

// Stopwatch animations.
enum class Mood { Idle, Running, Faster, Slower, Same };
Bytes StopwatchAnimation(Mood mood);

// The program's icon.
Bytes AppIcon();

// Every item in the order media_data.cpp defines them.
std::vector<MediaItem> AllMedia();

// The C++ source that defines the Blobs of media.h from the items' bytes.
std::string DataSource(const std::vector<MediaItem>& items);

}  // namespace dida::mediagen
