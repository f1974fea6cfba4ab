#pragma once
// The program's embedded media, drawn and synthesised from code so that every byte can be rebuilt and
// checked. Each item is a complete file image; the generator writes them beside media_data.cpp, which
// carries the same bytes into the program.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/art/art.h"

namespace dida::mediagen {

// The pictures, their file formats and the painter are the program's own (src/ui/art).
using namespace art;

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

// The program's icon.
Bytes AppIcon();

// Every item in the order media_data.cpp defines them.
std::vector<MediaItem> AllMedia();

// The C++ source that defines the Blobs of media.h from the items' bytes.
std::string DataSource(const std::vector<MediaItem>& items);

}  // namespace dida::mediagen
