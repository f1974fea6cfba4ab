#include "ui/renditions.h"

#include <map>
#include <utility>

#include "ui/art/art.h"
#include "ui/media/media.h"

namespace dida {
namespace {

using art::Mood;

struct Drawing {
    Blob design;
    art::Bytes (*draw)(int dpi);
};

const Drawing kDrawings[] = {
    {media::kSpeakerWaves, [](int dpi) { return art::SpeakerPicture(true, false, dpi); }},
    {media::kSpeakerCrossedOrange, [](int dpi) { return art::SpeakerPicture(false, true, dpi); }},
    {media::kSpeakerCrossed, [](int dpi) { return art::SpeakerPicture(false, false, dpi); }},
    {media::kSpeakerWavesOrange, [](int dpi) { return art::SpeakerPicture(true, true, dpi); }},
    {media::kGifIdle, [](int dpi) { return art::StopwatchAnimation(Mood::Idle, dpi); }},
    {media::kGifRunning, [](int dpi) { return art::StopwatchAnimation(Mood::Running, dpi); }},
    {media::kGifFaster, [](int dpi) { return art::StopwatchAnimation(Mood::Faster, dpi); }},
    {media::kGifSlower, [](int dpi) { return art::StopwatchAnimation(Mood::Slower, dpi); }},
    {media::kGifSame, [](int dpi) { return art::StopwatchAnimation(Mood::Same, dpi); }},
};

}  // namespace

Blob DrawnForScale(Blob design, int dpi) {
    if (dpi <= art::kDesignDpi) return {};
    // Pictures are told apart by the block they come from: the logic hands the embedded blocks themselves.
    for (const Drawing& d : kDrawings) {
        if (design.data() != d.design.data() || design.size() != d.design.size()) continue;
        static std::map<std::pair<const void*, int>, art::Bytes> drawn;
        auto [it, added] = drawn.try_emplace({d.design.data(), dpi});
        if (added) it->second = d.draw(dpi);
        return Blob(it->second.data(), it->second.size());
    }
    return {};
}

}  // namespace dida
