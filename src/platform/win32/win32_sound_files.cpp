#include "platform/win32/win32_sound_files.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/win32_handle.h"
#include "platform/win32/win32_text.h"

namespace dida::win32 {

namespace {

// The program only reads its sounds, and only for a moment: the user may rename, move or delete the music
// while it rings (Explorer must not answer "in use"); the next pass then finds it gone.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

UniqueHandle OpenForReading(const std::string& utf8Name) {
    if (utf8Name.empty()) return UniqueHandle{};
    return UniqueHandle(CreateFileW(Wide(utf8Name).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::vector<std::uint8_t> ReadAt(HANDLE f, std::uint64_t pos, std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    LARGE_INTEGER at{};
    at.QuadPart = LONGLONG(pos);
    if (!SetFilePointerEx(f, at, nullptr, FILE_BEGIN)) return {};
    std::size_t got = 0;
    while (got < n) {
        DWORD read = 0;
        if (!ReadFile(f, bytes.data() + got, DWORD(n - got), &read, nullptr) || read == 0) break;
        got += read;
    }
    bytes.resize(got);
    return bytes;
}

// Enough audio to find the first frames of any real file; the rest is the player's business.
constexpr std::size_t kProbeBytes = std::size_t(1) << 20;

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& utf8Name) {
    const UniqueHandle f = OpenForReading(utf8Name);
    if (!f) return std::nullopt;
    LARGE_INTEGER size{};
    // Sound files are small; anything beyond 1 GiB is not one the program could hold anyway.
    if (!GetFileSizeEx(f.get(), &size) || size.QuadPart < 0 || size.QuadPart >= (LONGLONG(1) << 30))
        return std::nullopt;
    std::vector<std::uint8_t> bytes(std::size_t(size.QuadPart));
    std::size_t got = 0;
    while (got < bytes.size()) {
        DWORD n = 0;
        const DWORD want = DWORD(std::min<std::size_t>(bytes.size() - got, 1u << 20));
        if (!ReadFile(f.get(), bytes.data() + got, want, &n, nullptr) || n == 0) break;
        got += n;
    }
    if (got != bytes.size()) return std::nullopt;
    return bytes;
}

// ID3v2 tags (pictures make them megabytes long) are stepped over by seeking, then at most kProbeBytes of
// audio are read. A directory or a wildcard does not open as a file, so it cannot sound.
std::optional<MpegHeader> PlayableMp3(const std::string& utf8Name) {
    const UniqueHandle f = OpenForReading(utf8Name);
    if (!f) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f.get(), &size) || size.QuadPart <= 0) return std::nullopt;
    const std::uint64_t total = std::uint64_t(size.QuadPart);
    std::uint64_t pos = 0;
    while (pos < total) {
        const std::size_t tag = Id3v2TagLength(ReadAt(f.get(), pos, 10));
        if (tag == 0) break;
        pos += tag;
    }
    if (pos >= total) return std::nullopt;
    const std::size_t want = std::size_t(std::min<std::uint64_t>(total - pos, kProbeBytes));
    const std::vector<std::uint8_t> audio = ReadAt(f.get(), pos, want);
    if (audio.size() != want || !Mp3Playable(audio, pos + want == total)) return std::nullopt;
    if (const auto frame = MpegFrameScanner(audio).Next()) return frame->header;
    return std::nullopt;
}

}  // namespace dida::win32
