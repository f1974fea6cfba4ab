#pragma once
// Pictures at display scales above 100 %. The model holds a picture as its design file image, the pixels
// the windows are designed with, at every scale. A backend that shows it at a larger scale asks here for
// the same picture drawn for that scale; the ui layer, which knows its pictures, answers. A picture
// without a rendition is enlarged by the backend itself.
#include <functional>

#include "gui/component.h"

namespace dida {

// The picture `design` drawn for `dpi` (96 is the design scale): a complete file image in the design
// picture's format with its size scaled by dpi / 96, valid for the rest of the run; empty when there is none.
using RenditionSource = std::function<Blob(Blob design, int dpi)>;

}  // namespace dida
