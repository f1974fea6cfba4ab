#include "platform/registry_path.h"

namespace dida {

RegPath SplitFullPath(const std::string& fullPath) {
    // In UTF-8 every byte of a multi-byte character is 0x80 or above, so a 0x5C byte is always a backslash
    // of its own: searching the bytes is searching the code points, and no trail byte can be mistaken for
    // one as it could in a double-byte code page. Ill-formed bytes keep this property too.
    const std::size_t cut = fullPath.rfind('\\');
    if (cut == std::string::npos) return {std::string(), fullPath};
    return {fullPath.substr(0, cut), fullPath.substr(cut + 1)};
}

std::string JoinProgramPath(const std::string& directory, const std::string& fileName) {
    return directory + '\\' + fileName;
}

}  // namespace dida
