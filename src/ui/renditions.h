#pragma once
// The embedded pictures drawn again for display scales above 100 %, by the same code that drew them at the
// design scale: the speaker pictures and the stopwatch's animations stay sharp instead of being enlarged.
#include "gui/component.h"

namespace dida {

// A desktop's rendition source: the rendition of one of the embedded pictures, drawn at its first use for that
// scale and kept for the rest of the run; empty for the design scale, below it, and for any other picture.
Blob DrawnForScale(Blob design, int dpi);

}  // namespace dida
