#include "platform/values.h"

#include <cstring>

namespace dida {

bool SameBytes(Blob a, Blob b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

}  // namespace dida
