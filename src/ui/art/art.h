#pragma once
// The program's pictures drawn from code: the speaker button's pictures and the stopwatch's animations.
// The media generator writes them at the design scale into src/ui/media; the program draws them again for
// a display scale above 100 %, so they stay sharp instead of being enlarged.
#include <vector>

#include "ui/art/picture_files.h"

namespace dida::art {

// The scale the windows are designed at: a picture drawn for it has its design size.
inline constexpr int kDesignDpi = 96;

// A design length at a display scale, rounded as the system rounds (half away from zero).
inline int ScaledLength(int design, int dpi) { return (design * dpi + kDesignDpi / 2) / kDesignDpi; }

// The speaker pictures, 20 × 20 at the design scale: a loudspeaker with three sound-wave arcs or with an X,
// black or orange, on magenta.
Bytes SpeakerPicture(bool waves, bool orange, int dpi);

// The stopwatch animations, looping GIFs with their design size, frame count and delays.
enum class Mood { Idle, Running, Faster, Slower, Same };
Bytes StopwatchAnimation(Mood mood, int dpi);

}  // namespace dida::art
