// Splitting a registry or program path: the value part holds no backslash, key and value join back to the
// whole, and no byte inside a character is ever taken for the cut.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/registry_path.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string full(reinterpret_cast<const char*>(data), size);
    const dida::RegPath p = dida::SplitFullPath(full);
    if (p.value.find('\\') != std::string::npos) std::abort();
    if (full.find('\\') == std::string::npos) {
        if (!p.key.empty() || p.value != full) std::abort();
    } else if (dida::JoinProgramPath(p.key, p.value) != full) {
        std::abort();
    }
    // On code points: the cut is the last backslash character of the decoded text.
    const std::u32string cps = dida::Utf8ToUtf32(full);
    const std::size_t last = cps.rfind(U'\\');
    const std::u32string value = dida::Utf8ToUtf32(p.value);
    if (last == std::u32string::npos) {
        if (value != cps) std::abort();
    } else if (value != cps.substr(last + 1)) {
        std::abort();
    }
    return 0;
}
