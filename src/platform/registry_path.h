#pragma once
#include <string>

namespace dida {

struct RegPath {
    std::string key;    // before the last backslash (empty when there is none)
    std::string value;  // after it
};
// Splits at the last backslash. Splitting works on code points, so no byte inside a character is
// taken for a backslash.
RegPath SplitFullPath(const std::string& fullPath);

// Joins a program directory (no trailing backslash) and file name with one backslash.
std::string JoinProgramPath(const std::string& directory, const std::string& fileName);

}  // namespace dida
