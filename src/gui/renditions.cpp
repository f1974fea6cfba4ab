#include "gui/renditions.h"

#include <utility>

namespace dida {
namespace {

RenditionSource& Source() {
    static RenditionSource source;
    return source;
}

}  // namespace

void SetRenditionSource(RenditionSource source) { Source() = std::move(source); }

Blob RenditionOf(Blob design, int dpi) {
    if (design.empty() || !Source()) return {};
    return Source()(design, dpi);
}

}  // namespace dida
