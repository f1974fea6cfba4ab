// Writes the embedded media and their C++ source into a folder: mediagen [folder], by default
// src/ui/media of the working directory.
#include <cstdio>
#include <fstream>
#include <string>

#include "mediagen.h"

namespace {

bool WriteFile(const std::string& path, const void* data, std::size_t size) {
    std::ofstream f(path, std::ios::binary);
    f.write(static_cast<const char*>(data), std::streamsize(size));
    return bool(f);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "src/ui/media";
    const auto items = dida::mediagen::AllMedia();
    for (const auto& item : items) {
        if (!WriteFile(folder + "/" + item.fileName, item.bytes.data(), item.bytes.size())) {
            std::fprintf(stderr, "mediagen: cannot write %s/%s\n", folder.c_str(), item.fileName.c_str());
            return 1;
        }
        std::printf("%-28s %8zu bytes\n", item.fileName.c_str(), item.bytes.size());
    }
    const std::string source = dida::mediagen::DataSource(items);
    if (!WriteFile(folder + "/media_data.cpp", source.data(), source.size())) {
        std::fprintf(stderr, "mediagen: cannot write %s/media_data.cpp\n", folder.c_str());
        return 1;
    }
    return 0;
}
